#pragma once
// Win32 implementations of the small platform services.
#include <windows.h>

#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/file_system.h"
#include "platform/interfaces/process_launcher.h"
#include "platform/interfaces/skin_engine.h"
#include "platform/interfaces/text_codec.h"
#include "platform/win32/unique_handles.h"

namespace win32 {

class Win32ProcessLauncher : public platform::ProcessLauncher {
 public:
  platform::StartedProcess Start(std::string_view program, std::string_view commandLine, platform::ShowState show,
                                 std::string_view workingFolder = {}) override;
};

class Win32FileSystem : public platform::FileSystem {
 public:
  std::string ProgramFolder() override;
  std::string SystemFolder() override;
  std::vector<std::string> ListFiles(std::string_view folder) override;
  bool FileExists(std::string_view path) override;
  platform::FileContents ReadWholeFile(std::string_view path, uint64_t maxBytes) override;
  platform::FileChange WriteWholeFile(std::string_view path, const std::vector<uint8_t>& bytes) override;
  platform::FileChange RemoveFile(std::string_view path) override;
};

// Message boxes and file dialogs owned by one window.
class Win32Dialogs : public platform::Dialogs {
 public:
  explicit Win32Dialogs(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowMessage(std::string_view text, std::string_view title) override;
  std::optional<std::string> ChooseFileToOpen(const platform::OpenFileRequest& request) override;

 private:
  HWND owner_;
};

class Win32TextCodec : public platform::TextCodec {
 public:
  std::string AnsiToUtf8(std::string_view ansi) override;
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) override;
};

// The skin engine DLL beside the program when there is one; without it every call does nothing.
class Win32SkinEngine : public platform::SkinEngine {
 public:
  explicit Win32SkinEngine(std::string_view programFolder);
  void Attach() override;
  bool AttachEx(std::string_view skinFile, std::string_view password) override;
  void SetAero(int on) override;

 private:
  using AttachFn = int(__stdcall*)();
  using AttachExFn = int(__stdcall*)(const char*, const char*);
  using SetAeroFn = int(__stdcall*)(int);
  UniqueModule module_;
  AttachFn attach_ = nullptr;
  AttachExFn attachEx_ = nullptr;
  SetAeroFn setAero_ = nullptr;
};

}  // namespace win32
