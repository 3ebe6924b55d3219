// Win32FileSystem on real files in a scratch folder of the temp directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_services.h"

namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"quorvel_fs_test_皮肤";
    Clean();
    ::CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override { Clean(); }

  void Clean() {
    for (const wchar_t* name : {L"\\skinh.she", L"\\china.she", L"\\sub\\x.she", L"\\image.bin",
                                L"\\record.txt", L"\\record.txt.partial"}) {
      std::wstring path = folder_ + name;
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    }
    ::RemoveDirectoryW((folder_ + L"\\sub").c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  void Make(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = ::CreateFileW((folder_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    ::SetFileAttributesW((folder_ + L"\\" + name).c_str(), attributes);
  }

  std::string Folder() const { return win32::WideToUtf8(folder_); }

  std::wstring folder_;
  win32::Win32FileSystem files_;
};

TEST_F(FileSystemTest, HiddenSystemAndReadOnlyFilesExistAndAreListed) {
  Make(L"skinh.she", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  Make(L"china.she");
  ::CreateDirectoryW((folder_ + L"\\sub").c_str(), nullptr);
  Make(L"sub\\x.she");

  EXPECT_TRUE(files_.FileExists(Folder() + "\\skinh.she"));
  EXPECT_FALSE(files_.FileExists(Folder() + "\\missing.she"));
  EXPECT_FALSE(files_.FileExists(Folder() + "\\sub"));  // a folder is not a file

  std::vector<std::string> listed = files_.ListFiles(Folder() + "\\");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{Folder() + "\\china.she", Folder() + "\\skinh.she"}));
}

TEST_F(FileSystemTest, ReadsAWholeFileUpToTheLimitAndNothingBeyond) {
  const std::string image("\x1B@\0\xFF\r\n0123", 10);  // a zero byte and line ends come back as they are
  HANDLE file = ::CreateFileW((folder_ + L"\\image.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
  ::CloseHandle(file);

  platform::FileContents whole = files_.ReadWholeFile(Folder() + "\\image.bin", image.size());
  ASSERT_TRUE(whole.ok) << whole.error;
  EXPECT_EQ(std::string(whole.bytes.begin(), whole.bytes.end()), image);

  platform::FileContents refused = files_.ReadWholeFile(Folder() + "\\image.bin", image.size() - 1);
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.tooLarge);
  EXPECT_TRUE(refused.bytes.empty());

  platform::FileContents missing = files_.ReadWholeFile(Folder() + "\\none.bin", 100);
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.tooLarge);
  EXPECT_FALSE(missing.error.empty());
}

TEST_F(FileSystemTest, WritesAWholeFileOverTheOldOneAndRemovesIt) {
  const std::string path = Folder() + "\\record.txt";
  for (const std::string& text : {std::string("added oem7.inf\r\n\0", 17), std::string("kept oem7.inf\r\n")}) {
    const platform::FileChange written = files_.WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_TRUE(written.ok) << written.error;
    const platform::FileContents read = files_.ReadWholeFile(path, 100);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), text);
  }
  EXPECT_EQ(files_.ListFiles(Folder()), std::vector<std::string>{path});  // nothing written beside it stays

  EXPECT_TRUE(files_.RemoveFile(path).ok);
  EXPECT_FALSE(files_.FileExists(path));
  EXPECT_TRUE(files_.RemoveFile(path).ok);  // already gone
}

TEST_F(FileSystemTest, AFileThatCannotBeWrittenIsAFailureWithTheSystemsReason) {
  const platform::FileChange written = files_.WriteWholeFile(Folder() + "\\nothing-here\\record.txt", {'x'});
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(written.error.empty());
  ::CreateDirectoryW((folder_ + L"\\sub").c_str(), nullptr);
  const platform::FileChange removed = files_.RemoveFile(Folder() + "\\sub");  // a folder is no file
  EXPECT_FALSE(removed.ok);
  EXPECT_FALSE(removed.error.empty());
  EXPECT_TRUE(files_.ListFiles(Folder()).empty());
}

TEST_F(FileSystemTest, MissingFolderListsNothing) {
  EXPECT_TRUE(files_.ListFiles(Folder() + "\\nothing-here").empty());
}

}  // namespace
