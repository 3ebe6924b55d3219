#include "platform/win32/win32_services.h"

#include <commdlg.h>

#include "platform/win32/kept_current_folder.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"

namespace win32 {

namespace {
// Keeps the started process's handle so that its end can be seen.
class Win32ProcessHandle : public platform::ProcessHandle {
 public:
  explicit Win32ProcessHandle(UniqueKernelHandle process) : process_(std::move(process)) {}
  bool HasEnded() override { return ::WaitForSingleObject(process_.Get(), 0) != WAIT_TIMEOUT; }

 private:
  UniqueKernelHandle process_;
};
}  // namespace

platform::StartedProcess Win32ProcessLauncher::Start(std::string_view program, std::string_view commandLine,
                                                    platform::ShowState show, std::string_view workingFolder) {
  // The application name is the file that runs; without it CreateProcess would search the program's own
  // folder first for the command line's first word.
  std::wstring application = Utf8ToWide(program);
  if (application.empty()) return {};
  std::wstring line = Utf8ToWide(commandLine);  // CreateProcessW may write into its command line
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  const std::wstring folder = Utf8ToWide(workingFolder);
  if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return {};
  }
  UniqueKernelHandle threadHandle(process.hThread);
  return platform::StartedProcess(std::make_unique<Win32ProcessHandle>(UniqueKernelHandle(process.hProcess)));
}

std::string Win32FileSystem::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  return WideToUtf8(slash == std::wstring::npos ? path : path.substr(0, slash));
}

std::string Win32FileSystem::SystemFolder() { return WideToUtf8(win32::SystemFolder()); }

std::vector<std::string> Win32FileSystem::ListFiles(std::string_view folder) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  WIN32_FIND_DATAW found{};
  UniqueFind search(::FindFirstFileW(Utf8ToWide(prefix + "*").c_str(), &found));
  std::vector<std::string> files;
  if (!search) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(prefix + WideToUtf8(found.cFileName));
  } while (::FindNextFileW(search.Get(), &found));
  return files;
}

bool Win32FileSystem::FileExists(std::string_view path) {
  DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {
std::string SystemErrorText(DWORD code) {
  wchar_t* message = nullptr;
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = length ? std::wstring(message, length) : L"Error " + std::to_wstring(code);
  if (message) ::LocalFree(message);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
  return WideToUtf8(text);
}
}  // namespace

platform::FileContents Win32FileSystem::ReadWholeFile(std::string_view path, uint64_t maxBytes) {
  UniqueFile file(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {false, {}, SystemErrorText(::GetLastError())};
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return {false, {}, SystemErrorText(::GetLastError())};
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) return {false, {}, {}, true};
  if (size.QuadPart > 0x7FFFFFFF) return {false, {}, SystemErrorText(ERROR_NOT_ENOUGH_MEMORY)};
  platform::FileContents contents{true, std::vector<uint8_t>(static_cast<size_t>(size.QuadPart)), {}};
  DWORD read = 0;
  if (!contents.bytes.empty() &&
      (!::ReadFile(file.Get(), contents.bytes.data(), static_cast<DWORD>(contents.bytes.size()), &read, nullptr) ||
       read != contents.bytes.size())) {
    return {false, {}, SystemErrorText(::GetLastError())};
  }
  return contents;
}

platform::FileChange Win32FileSystem::WriteWholeFile(std::string_view path, const std::vector<uint8_t>& bytes) {
  // Written whole beside the file, then moved over it: a failure half-way leaves the old contents.
  const std::wstring target = Utf8ToWide(path);
  const std::wstring partial = target + L".partial";
  {
    UniqueFile file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return {false, SystemErrorText(::GetLastError())};
    DWORD written = 0;
    const bool whole = bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                     &written, nullptr) &&
                                         written == bytes.size());
    if (!whole || !::FlushFileBuffers(file.Get())) {
      const DWORD error = ::GetLastError();
      file.Reset();
      ::DeleteFileW(partial.c_str());
      return {false, SystemErrorText(error)};
    }
  }
  if (!::MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(partial.c_str());
    return {false, SystemErrorText(error)};
  }
  return {true, {}};
}

platform::FileChange Win32FileSystem::RemoveFile(std::string_view path) {
  if (::DeleteFileW(Utf8ToWide(path).c_str())) return {true, {}};
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {true, {}};
  return {false, SystemErrorText(error)};
}

void Win32Dialogs::ShowMessage(std::string_view text, std::string_view title) {
  ::MessageBoxW(owner_, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), MB_OK);
}

std::optional<std::string> Win32Dialogs::ChooseFileToOpen(const platform::OpenFileRequest& request) {
  // "A|*.a|B|*.b" becomes the NUL-separated, double-NUL-terminated form the dialog wants.
  std::wstring filter = Utf8ToWide(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  std::wstring title = Utf8ToWide(request.title);
  std::wstring folder = Utf8ToWide(request.initialFolder);
  std::wstring file = Utf8ToWide(request.fileName);
  file.resize(32768, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  // No OFN_NOCHANGEDIR: the open dialog ignores it on Windows; the kept folder below does its job everywhere.
  dialog.Flags = OFN_EXPLORER | (request.hideReadOnly ? OFN_HIDEREADONLY : 0);
  // comdlg32 imports winspool.drv: imported statically, it would pull that DLL in from the program's folder
  // before the DLL search is restricted. Taken at run time, its imports come from the system folder.
  using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
  static const auto getOpenFileName = reinterpret_cast<GetOpenFileNameFn>(reinterpret_cast<void*>(
      ::GetProcAddress(LoadSystemLibrary(L"comdlg32.dll"), "GetOpenFileNameW")));
  const KeptCurrentFolder kept;
  if (!getOpenFileName || !getOpenFileName(&dialog)) return std::nullopt;
  return WideToUtf8(file.c_str());
}

std::string Win32TextCodec::AnsiToUtf8(std::string_view ansi) { return win32::AnsiToUtf8(ansi); }

std::optional<std::string> Win32TextCodec::Utf8ToAnsi(std::string_view utf8) { return win32::Utf8ToAnsi(utf8); }

Win32SkinEngine::Win32SkinEngine(std::string_view programFolder) {
  std::wstring path = Utf8ToWide(programFolder) + L"\\SkinH_VB6.dll";
  module_.Reset(LoadLibraryByFullPath(path));
  if (!module_) return;
  attach_ = reinterpret_cast<AttachFn>(reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "SkinH_Attach")));
  attachEx_ =
      reinterpret_cast<AttachExFn>(reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "SkinH_AttachEx")));
  setAero_ = reinterpret_cast<SetAeroFn>(reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "SkinH_SetAero")));
}

void Win32SkinEngine::Attach() {
  if (attach_) attach_();
}

// The engine opens ANSI paths only. A folder whose name the ANSI code page lacks (C:\Users\张三\... on an English
// Windows) is reached by making it current for the call and passing the bare name, or else by its short name.
bool Win32SkinEngine::AttachEx(std::string_view skinFile, std::string_view password) {
  if (!attachEx_) return true;  // no engine: nothing to dress, nothing failed
  const std::string secret = win32::Utf8ToAnsi(password).value_or("");
  if (std::optional<std::string> file = win32::Utf8ToAnsi(skinFile)) {
    attachEx_(file->c_str(), secret.c_str());
    return true;
  }
  const std::wstring wide = Utf8ToWide(skinFile);
  const size_t slash = wide.find_last_of(L"\\/");
  if (slash != std::wstring::npos) {
    std::optional<std::string> name = win32::Utf8ToAnsi(skinFile.substr(skinFile.find_last_of("\\/") + 1));
    const KeptCurrentFolder kept;  // never left on the skin folder
    if (name && kept.Kept() && ::SetCurrentDirectoryW(wide.substr(0, slash + 1).c_str())) {
      attachEx_(name->c_str(), secret.c_str());
      return true;
    }
  }
  std::wstring shortPath(MAX_PATH, L'\0');
  const DWORD length = ::GetShortPathNameW(wide.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (length == 0 || length >= shortPath.size()) return false;
  shortPath.resize(length);
  std::optional<std::string> shortFile = win32::Utf8ToAnsi(WideToUtf8(shortPath));
  if (!shortFile) return false;
  attachEx_(shortFile->c_str(), secret.c_str());
  return true;
}

void Win32SkinEngine::SetAero(int on) {
  if (setAero_) setAero_(on);
}

}  // namespace win32
