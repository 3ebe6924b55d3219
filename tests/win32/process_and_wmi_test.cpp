// Win32ProcessLauncher and Win32Wmi against the real system (under Wine in the end-to-end run).
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_wmi.h"

namespace {

bool EndsWithin(const platform::StartedProcess& process, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    if (process.HasEnded()) return true;
    ::Sleep(50);
  }
  return process.HasEnded();
}

std::string SystemCmd() { return win32::Win32FileSystem().SystemFolder() + "\\cmd.exe"; }

TEST(ProcessLauncherTest, KeepsTheHandleUntilTheProgramHasEnded) {
  win32::Win32ProcessLauncher launcher;
  platform::StartedProcess process = launcher.Start(SystemCmd(), "cmd /c exit 3", platform::ShowState::Hidden);
  ASSERT_TRUE(process.Started());
  EXPECT_TRUE(EndsWithin(process, 20000));
  platform::StartedProcess moved = std::move(process);
  EXPECT_TRUE(moved.HasEnded());
}

TEST(ProcessLauncherTest, AProgramThatDoesNotExistIsNotStarted) {
  win32::Win32ProcessLauncher launcher;
  platform::StartedProcess process = launcher.Start(win32::Win32FileSystem().SystemFolder() + "\\no_such_4711.exe",
                                                    "cmd /c exit 3", platform::ShowState::Minimized);
  EXPECT_FALSE(process.Started());
  EXPECT_TRUE(process.HasEnded());
  EXPECT_FALSE(launcher.Start("", "cmd /c exit 3", platform::ShowState::Minimized).Started());
}

TEST(SystemFolderTest, HoldsTheProgramsWindowsProvides) {
  const std::string folder = win32::Win32FileSystem().SystemFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(win32::Win32FileSystem().FileExists(folder + "\\rundll32.exe"));
}

class WmiTest : public ::testing::Test {
 protected:
  win32::ComApartment com_;
  win32::Win32Wmi wmi_;
};

TEST_F(WmiTest, ReadsAPropertyOfEveryReturnedObjectAsText) {
  auto captions = wmi_.QueryProperty("Select * From Win32_OperatingSystem", "Caption");
  ASSERT_TRUE(captions);
  ASSERT_EQ(captions->size(), 1u);
  EXPECT_FALSE(captions->front().empty());
}

TEST_F(WmiTest, TheInstallersQueryRuns) {
  EXPECT_TRUE(wmi_.QueryProperty("Select   *   From   Win32_USBControllerDevice", "Dependent"));
}

TEST_F(WmiTest, APropertyTheObjectsLackIsAFailure) {
  EXPECT_FALSE(wmi_.QueryProperty("Select * From Win32_OperatingSystem", "NoSuchProperty_4711"));
}

}  // namespace
