#include <gtest/gtest.h>

#include "config_tool/console/handheld_window.h"
#include "config_tool/console/launcher_window.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_services.h"
#include "tests/unit/main_window_fixture.h"

namespace {

using Calls = std::vector<std::string>;

// A window whose repaints land in the skin engine's call log, so their place in the sequence shows.
struct LoggingWindow : fakes::FakeWindow {
  explicit LoggingWindow(Calls& log) : log_(log) {}
  void Repaint() override { log_.push_back("Repaint"); }
  Calls& log_;
};

// `count` skin files named skin00.she, skin01.she, ...; `china` and `skinh` replace two of them.
void FillSkinFolder(fakes::FakeFileSystem& files, int count, bool china = true, bool skinh = true) {
  for (int i = 0; i < count; ++i) {
    std::string name = "skin" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".she";
    if (china && i == 5) name = "china.she";
    if (skinh && i == 7) name = "skinh.she";
    std::string path = files.programFolder + "\\skin\\" + name;
    files.files[path] = {};
    files.listingOrder.push_back(path);
  }
}

struct SkinFixture {
  fakes::FakeSkinEngine engine;
  LoggingWindow window{engine.calls};
  fakes::FakeListBox list1;
  fakes::FakeFileSystem files;
  fakes::FakeDialogs dialogs;
  quorvel::SkinProcedures skins{list1, window, {engine, files, dialogs}};
  const std::string folder = "C:\\Tools\\skin\\";
};

TEST(SkinStart, EachWindowAttachesInItsOwnOrder) {
  const std::string folder = "C:\\Tools\\skin\\";
  struct Case {
    quorvel::DressedWindow kind;
    Calls expected;
  } cases[] = {
      {quorvel::DressedWindow::Launcher,
       {"Attach", "Attach", "AttachEx(" + folder + "skinh.she,)", "AttachEx(" + folder + "skin38.she,)",
        "AttachEx(" + folder + "china.she,)", "SetAero(0)"}},
      {quorvel::DressedWindow::Console,
       {"Attach", "Repaint", "AttachEx(" + folder + "skinh.she,)", "SetAero(1)", "AttachEx(" + folder + "skin19.she,)",
        "AttachEx(" + folder + "china.she,)"}},
      {quorvel::DressedWindow::MainWindow,
       {"Attach", "AttachEx(" + folder + "skinh.she,)", "AttachEx(" + folder + "skin38.she,)",
        "AttachEx(" + folder + "china.she,)", "SetAero(0)"}},
  };
  for (const Case& c : cases) {
    SkinFixture f;
    FillSkinFolder(f.files, 40);
    f.skins.Start(c.kind);
    EXPECT_EQ(f.engine.calls, c.expected) << static_cast<int>(c.kind);
    EXPECT_EQ(f.skins.SkinFolder(), folder);
    ASSERT_EQ(f.list1.Count(), 40);
    EXPECT_EQ(f.list1.Item(f.list1.Selected()), "china.she");
  }
}

TEST(SkinStart, ShortFolderWithoutKnownSkinsAttachesTheBareFolderOnly) {
  SkinFixture f;
  FillSkinFolder(f.files, 3, /*china=*/false, /*skinh=*/false);
  f.skins.Start(quorvel::DressedWindow::MainWindow);
  EXPECT_EQ(f.engine.calls, (Calls{"Attach", "AttachEx(" + f.folder + ",)", "SetAero(0)"}));
  EXPECT_EQ(f.list1.Selected(), platform::kNoSelection);
}

TEST(SkinStart, MissingFolderLeavesTheListEmptyAndStillFinishes) {
  SkinFixture f;
  f.skins.Start(quorvel::DressedWindow::Launcher);
  EXPECT_EQ(f.list1.Count(), 0);
  EXPECT_EQ(f.engine.calls, (Calls{"Attach", "Attach", "AttachEx(" + f.folder + ",)", "SetAero(0)"}));
}

TEST(SkinList, AppendsBareNamesWithoutClearingOrFiltering) {
  SkinFixture f;
  f.files.files["C:\\Tools\\skin\\readme.txt"] = {};
  f.files.files["C:\\Tools\\skin\\sub\\deep.she"] = {};
  f.list1.Add("earlier");
  f.skins.Start(quorvel::DressedWindow::MainWindow);
  EXPECT_EQ(f.list1.items, (std::vector<std::string>{"earlier", "readme.txt"}));
}

TEST(SkinChooser, AsksWithTheSkinFilterAndAppliesOnlyAChosenFile) {
  SkinFixture f;
  f.skins.ChooseAndApply();  // cancelled
  ASSERT_EQ(f.dialogs.fileRequests.size(), 1u);
  const platform::OpenFileRequest& request = f.dialogs.fileRequests[0];
  EXPECT_EQ(request.title, "选择皮肤...");
  EXPECT_EQ(request.initialFolder, "C:\\Tools\\skin");
  EXPECT_EQ(request.filter, "SkinSharp Skin File (*.she)|*.she");
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_TRUE(request.hideReadOnly);
  EXPECT_TRUE(f.engine.calls.empty());

  f.dialogs.nextChosenFile = "D:\\skins\\blue.she";
  f.skins.ChooseAndApply();
  EXPECT_EQ(f.engine.calls, (Calls{"AttachEx(D:\\skins\\blue.she,)"}));
}

// A skin the user picks whose path the engine cannot be given is said so, not left to fail unseen; one that is
// handed over says nothing.
TEST(SkinChooser, APickedSkinTheEngineCannotBeGivenIsReported) {
  SkinFixture f;
  f.dialogs.nextChosenFile = "C:\\Users\\张三\\Downloads\\blue.she";
  f.skins.ChooseAndApply();
  EXPECT_TRUE(f.dialogs.messages.empty());
  f.engine.handable = false;
  f.skins.ChooseAndApply();
  f.list1.Add("china.she");
  f.list1.Select(0);
  f.skins.ApplySelected();
  ASSERT_EQ(f.dialogs.messages.size(), 2u);
  EXPECT_NE(f.dialogs.messages[0].text.find("无法加载皮肤"), std::string::npos);
  EXPECT_NE(f.dialogs.messages[0].text.find("C:\\Users\\张三\\Downloads\\blue.she"), std::string::npos);
  EXPECT_NE(f.dialogs.messages[1].text.find("china.she"), std::string::npos);
}

TEST(SkinListClick, DoesNothingWithoutASelectedNonEmptyEntry) {
  SkinFixture f;
  f.skins.ApplySelected();  // empty list
  f.list1.Add("a.she");
  f.list1.Add("");
  f.skins.ApplySelected();  // nothing selected
  f.list1.Select(1);
  f.skins.ApplySelected();  // empty entry
  EXPECT_TRUE(f.engine.calls.empty());
}

struct LauncherFixture : quorvel::LauncherHost {
  void OpenMainWindow() override { opened.push_back("main"); }
  void OpenHandheldWindow() override { opened.push_back("handheld"); }

  fakes::FakeWindow window;
  fakes::FakeCaptions captions;
  std::vector<fakes::FakeOptionButton*> group;
  fakes::FakeOptionButton option1{&group}, option2{&group};
  fakes::FakeListBox list1;
  fakes::FakeSkinEngine engine;
  fakes::FakeFileSystem files;
  fakes::FakeDialogs dialogs;
  quorvel::ProcessState process;
  Calls opened;
  quorvel::LauncherWindow launcher{{window, captions, option1, option2, list1}, {engine, files, dialogs}, process,
                                   *this};
};

TEST(Launcher, LanguageFlagFollowsTheChosenOptionForBothButtons) {
  for (bool english : {false, true}) {
    for (bool pocket : {false, true}) {
      LauncherFixture f;
      f.launcher.Load();
      EXPECT_EQ(f.window.Caption(), "版本(Version)");
      if (english) f.option2.SetSelected(true);
      f.process.language = english ? 1 : 0;  // the opposite, so the button must write it
      if (pocket) {
        f.launcher.OnCommand2Click();
      } else {
        f.launcher.OnCommand1Click();
      }
      EXPECT_EQ(f.process.language, english ? 0 : 1);
      EXPECT_TRUE(f.window.closed);
      EXPECT_EQ(f.opened, Calls{pocket ? "handheld" : "main"});
    }
  }
}

TEST(Launcher, SingleClickOnTheSkinListApplies) {
  LauncherFixture f;
  FillSkinFolder(f.files, 10);
  f.launcher.Load();
  f.engine.calls.clear();
  f.list1.Select(2);
  f.launcher.OnList1Click();
  EXPECT_EQ(f.engine.calls, Calls{"AttachEx(C:\\Tools\\skin\\skin02.she,)"});
}

TEST(MainWindowSkins, LoadDressesTheWindowAndTheButtonsSwitchTheBorder) {
  test_support::MainWindowFixture f;
  FillSkinFolder(f.files, 10);
  f.mainWindow.Load();
  EXPECT_EQ(f.skin.calls, (Calls{"Attach", "AttachEx(C:\\Tools\\skin\\skinh.she,)", "AttachEx(C:\\Tools\\skin\\,)",
                                 "AttachEx(C:\\Tools\\skin\\china.she,)", "SetAero(0)"}));
  f.skin.calls.clear();
  f.mainWindow.OnCommand2Click();
  f.mainWindow.OnCommand3Click();
  f.list1.Select(0);
  f.mainWindow.OnList1DoubleClick();
  f.dialogs.nextChosenFile = "C:\\x.she";
  f.mainWindow.OnCommand1Click();
  EXPECT_EQ(f.skin.calls, (Calls{"SetAero(1)", "SetAero(0)", "AttachEx(C:\\Tools\\skin\\skin00.she,)",
                                 "AttachEx(C:\\x.she,)"}));
}

TEST(HandheldWindow, ShowsItsCaptions) {
  fakes::FakeWindow window;
  fakes::FakeCaptions captions;
  quorvel::HandheldWindow handheld({window, captions});
  handheld.Load();
  EXPECT_EQ(window.Caption(), "蓝牙打印机参数设置");
  EXPECT_EQ(captions.Caption("CommandFactoryReset"), "回复出厂设置");
}

}  // namespace
