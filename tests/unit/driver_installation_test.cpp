#include <gtest/gtest.h>

#include "tests/unit/main_window_fixture.h"

namespace {

TEST(InstallPrinter, QuotesNamesAndTheInfPathOfAFolderWithABlank) {
  test_support::MainWindowFixture f;
  f.files.programFolder = "C:\\Program Files\\Quorvel";
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\A1", 1);
  f.mainWindow.Load();
  f.mainWindow.OnCommand5Click();  // no driver package beside the program
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].text, "The driver package is missing: C:\\Program Files\\Quorvel\\QRX\\QRX.inf");
  EXPECT_TRUE(f.shell.starts.empty());
  f.dialogs.messages.clear();

  f.files.files["C:\\Program Files\\Quorvel\\QRX\\QRX.inf"] = {};
  f.mainWindow.OnCommand5Click();
  ASSERT_EQ(f.shell.starts.size(), 1u);
  const auto& start = f.shell.starts[0];
  // rundll32 by its full path: a rundll32.exe placed beside the program must not run elevated.
  EXPECT_EQ(start.program, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_EQ(start.arguments,
            "printui.dll,PrintUIEntry /if /b \"RIRIRU\" /f \"C:\\Program Files\\Quorvel\\QRX\\QRX.inf\" "
            "/r USB001 /m \"RIRIRU\"");
  EXPECT_EQ(start.show, platform::ShowState::Minimized);
  EXPECT_TRUE(start.elevate);
  EXPECT_TRUE(f.dialogs.messages.empty());
}

TEST(InstallPrinter, NoPrinterFoundStartsNothingAfterLookingAgain) {
  for (int16_t language : {1, 0}) {
    test_support::MainWindowFixture f;
    f.mainWindow.Load();
    f.process.language = language;
    f.files.files["C:\\Tools\\QRX\\QRX.inf"] = {};
    f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\LATE", 7);  // plugged in after the load: found by the click
    f.mainWindow.OnCommand5Click();
    EXPECT_EQ(f.label4.Text(), "USB007");
    ASSERT_EQ(f.shell.starts.size(), 1u);

    test_support::MainWindowFixture none;
    none.mainWindow.Load();
    none.process.language = language;
    int repaints = none.window.repaints;
    none.mainWindow.OnCommand5Click();
    EXPECT_TRUE(none.shell.starts.empty());
    EXPECT_GT(none.window.repaints, repaints);
    ASSERT_EQ(none.dialogs.messages.size(), 1u);
    EXPECT_EQ(none.dialogs.messages[0].text, language == 1 ? "没有找到打印机" : "no printer connected!");
    EXPECT_EQ(none.dialogs.messages[0].title, language == 1 ? "提示" : "note");
  }
}

TEST(StartInstaller, StartsOmbletMaximisedOrNamesTheMissingFile) {
  test_support::MainWindowFixture f;
  f.files.programFolder = "C:\\Program Files\\Quorvel";
  f.mainWindow.Load();
  f.mainWindow.OnCommand7Click();
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_NE(f.dialogs.messages[0].text.find("C:\\Program Files\\Quorvel\\Omblet.exe"), std::string::npos);
  EXPECT_TRUE(f.shell.starts.empty());

  f.files.files["C:\\Program Files\\Quorvel\\Omblet.exe"] = {};
  f.spooler.printers = {"KESTRAMO K-108"};  // installed meanwhile: the brand list is refreshed
  f.mainWindow.OnCommand7Click();
  ASSERT_EQ(f.shell.starts.size(), 1u);
  EXPECT_EQ(f.shell.starts[0].program, "C:\\Program Files\\Quorvel\\Omblet.exe");
  EXPECT_EQ(f.shell.starts[0].arguments, "");
  EXPECT_EQ(f.shell.starts[0].show, platform::ShowState::Maximized);
  EXPECT_EQ(f.comboPrinter.items, std::vector<std::string>{"KESTRAMO K-108"});

  f.shell.startable = false;
  f.mainWindow.OnCommand7Click();
  EXPECT_EQ(f.dialogs.messages.size(), 2u);
}

// Saying no to the administrator prompt is the user's choice: the message says it was cancelled, and does not
// claim the installer could not be started.
TEST(InstallPrinter, ADeclinedElevationPromptIsReportedAsCancelled) {
  for (int16_t language : {1, 0}) {
    test_support::MainWindowFixture f;
    f.files.files["C:\\Tools\\QRX\\QRX.inf"] = {};
    f.files.files["C:\\Tools\\Omblet.exe"] = {};
    f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\A1", 1);
    f.mainWindow.Load();
    f.process.language = language;
    f.shell.declined = true;
    f.mainWindow.OnCommand5Click();
    f.mainWindow.OnCommand7Click();
    ASSERT_EQ(f.dialogs.messages.size(), 2u);
    for (const auto& message : f.dialogs.messages) {
      EXPECT_NE(message.text.find(language == 1 ? "已取消" : "Cancelled"), std::string::npos) << message.text;
      EXPECT_EQ(message.text.find(language == 1 ? "无法启动" : "Cannot start"), std::string::npos) << message.text;
    }
  }
}

TEST(FilePrint, OpensTheConsole) {
  test_support::MainWindowFixture f;
  f.mainWindow.Load();
  f.mainWindow.OnCommand6Click();
  EXPECT_EQ(f.host.consolesOpened, 1);
}

}  // namespace
