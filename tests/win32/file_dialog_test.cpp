// Win32Dialogs' open-file dialog, answered from a second thread as a user would: browse to another folder, pick a
// file there. The program's current folder must be where it was before the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/kept_current_folder.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_services.h"

namespace {

constexpr wchar_t kTitle[] = L"Quorvel dialog test";
constexpr DWORD kWaitMs = 30000;

std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
  return std::wstring(folder, length < MAX_PATH ? length : 0);
}

// Types `text` into the dialog's file name box and presses Open.
void Enter(HWND dialog, const std::wstring& text) {
  HWND name = ::GetDlgItem(dialog, 0x47C);  // the name box of the explorer-style dialog
  if (!name) name = ::GetDlgItem(dialog, 0x480);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = kWaitMs) {
  for (const ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < milliseconds; ::Sleep(20)) {
    if (condition()) return true;
  }
  return false;
}

// Enters `text` until `done` holds: an entry made while the dialog still sets itself up can be overwritten.
template <typename Condition>
bool EnterUntil(HWND dialog, const std::wstring& text, Condition done) {
  for (int attempt = 0; attempt < 15; ++attempt) {
    Enter(dialog, text);
    if (WaitFor(done, 2000)) return true;
  }
  return false;
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"quorvel_dialog_test";
    Clean();
    for (const std::wstring& folder : {root_, start_ = root_ + L"\\start", other_ = root_ + L"\\固件"}) {
      ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    HANDLE file = ::CreateFileW((other_ + L"\\image.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
  }
  void TearDown() override {
    ::SetCurrentDirectoryW(L"C:\\");
    Clean();
  }
  void Clean() {
    ::DeleteFileW((root_ + L"\\固件\\image.bin").c_str());
    for (const wchar_t* folder : {L"\\固件", L"\\start", L""}) ::RemoveDirectoryW((root_ + folder).c_str());
  }

  std::wstring root_, start_, other_;
};

TEST_F(FileDialogTest, OpenDialogLeavesTheCurrentFolderWhereItWas) {
  ASSERT_TRUE(::SetCurrentDirectoryW(start_.c_str()));
  std::atomic<bool> browsed{false}, answered{false};
  std::thread user([&] {
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = ::FindWindowW(L"#32770", kTitle)) && ::IsWindowVisible(dialog); })) return;
    // A folder's name opens that folder. While the dialog shows it, the browsed folder is current: that is what
    // must not outlive the dialog.
    browsed = EnterUntil(dialog, other_, [&] { return _wcsicmp(CurrentFolder().c_str(), other_.c_str()) == 0; });
    answered = browsed && EnterUntil(dialog, L"image.bin", [&] { return !::IsWindow(dialog); });
    if (!answered) ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  });
  platform::OpenFileRequest request;
  request.title = win32::WideToUtf8(kTitle);
  request.filter = "AllFile(*.*)|*.*|";
  const std::optional<std::string> chosen = win32::Win32Dialogs().ChooseFileToOpen(request);
  user.join();

  ASSERT_TRUE(browsed) << "the dialog never made the browsed folder current";
  ASSERT_TRUE(answered);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(_wcsicmp(win32::Utf8ToWide(*chosen).c_str(), (other_ + L"\\image.bin").c_str()), 0) << *chosen;
  EXPECT_EQ(CurrentFolder(), start_);
}

TEST_F(FileDialogTest, KeptFolderComesBackAtTheEndOfItsScope) {
  ASSERT_TRUE(::SetCurrentDirectoryW(start_.c_str()));
  {
    const win32::KeptCurrentFolder kept;
    EXPECT_TRUE(kept.Kept());
    ASSERT_TRUE(::SetCurrentDirectoryW(other_.c_str()));
  }
  EXPECT_EQ(CurrentFolder(), start_);
}

}  // namespace
