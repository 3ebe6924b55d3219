#include <gtest/gtest.h>

#include "driver_installer/install_command.h"
#include "tests/unit/installer_fixture.h"

namespace {

using omblet::InvoiceDriverClass;

TEST(InstallCommandLine, QuotesNamesAndTheInfPathButNotThePort) {
  EXPECT_EQ(omblet::InstallCommandLine("发票专用驱动N", "C:\\Program Files\\Omblet", "USB001"),
            "rundll32 printui.dll,PrintUIEntry /if /b \"发票专用驱动N\" /f \"C:\\Program Files\\Omblet\\QRX\\QRX.inf\" "
            "/r USB001 /m \"发票专用驱动N\"");
  EXPECT_EQ(omblet::InstallCommandLine("KESTRAMO K-608", "D:\\x", "lpt1:"),
            "rundll32 printui.dll,PrintUIEntry /if /b \"KESTRAMO K-608\" /f \"D:\\x\\QRX\\QRX.inf\" /r lpt1: "
            "/m \"KESTRAMO K-608\"");
}

class InstallPrinterDriver : public ::testing::Test {
 protected:
  InstallPrinterDriver() {
    state.modelName = "Vollenby LP-702";
    state.portName = "USB001";
  }
  omblet::InstallQueue Install() {
    return omblet::InstallPrinterDriver("C:\\Program Files\\Omblet", "C:\\Windows\\system32",
                                        {refs, timerEnd, state});
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.Text());
    return texts;
  }
  std::string Command(std::string_view name) const {
    return omblet::InstallCommandLine(name, "C:\\Program Files\\Omblet", "USB001");
  }
  std::array<fakes::FakeLabel, 15> lines;
  omblet::StatusLines refs = [this] {
    omblet::StatusLines r{};
    for (size_t i = 0; i < r.size(); ++i) r[i] = &lines[i];
    return r;
  }();
  fakes::FakeTimer timerEnd;
  fakes::FakeProcessLauncher launcher;
  omblet::InstallerState state;
};

TEST_F(InstallPrinterDriver, InvoiceThenStandardPrinterOnLinesSixToNineOneAfterTheOther) {
  state.invoiceDriverClass = InvoiceDriverClass::N;
  omblet::InstallQueue installs = Install();
  EXPECT_TRUE(launcher.starts.empty());
  std::vector<std::string> expected(15);
  expected[6] = "加载驱动文件..";
  expected[7] = "安装发票专用驱动..";
  expected[8] = "安装标准驱动..";
  expected[9] = "驱动安装完成";
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(state.countdownLine, 9);
  EXPECT_TRUE(timerEnd.Running());
  EXPECT_EQ(timerEnd.Interval(), 1u);

  EXPECT_TRUE(installs.Advance(launcher).empty());
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].program, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_EQ(launcher.starts[0].commandLine, Command("发票专用驱动N"));
  EXPECT_EQ(launcher.starts[0].show, platform::ShowState::Minimized);
  installs.Advance(launcher);
  EXPECT_EQ(launcher.starts.size(), 1u);  // still running
  EXPECT_FALSE(installs.AllEnded());

  *launcher.starts[0].ended = true;
  EXPECT_FALSE(installs.AllEnded());  // the standard install has not even started
  installs.Advance(launcher);
  ASSERT_EQ(launcher.starts.size(), 2u);
  EXPECT_EQ(launcher.starts[1].program, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_EQ(launcher.starts[1].commandLine, Command("Vollenby LP-702"));
  EXPECT_EQ(launcher.starts[1].show, platform::ShowState::Minimized);
  *launcher.starts[1].ended = true;
  EXPECT_TRUE(installs.AllEnded());
  installs.Advance(launcher);
  EXPECT_EQ(launcher.starts.size(), 2u);
  ASSERT_EQ(installs.Installs().size(), 2u);
  EXPECT_EQ(installs.Installs()[0].printerName, "发票专用驱动N");
  EXPECT_EQ(installs.Installs()[1].printerName, "Vollenby LP-702");
}

TEST_F(InstallPrinterDriver, NoInvoiceNameGivesOneCommandAndTheCountdownOnLineEight) {
  omblet::InstallQueue installs = Install();
  installs.Advance(launcher);
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].commandLine, Command("Vollenby LP-702"));
  EXPECT_EQ(lines[7].Text(), "安装标准驱动..");
  EXPECT_EQ(lines[8].Text(), "驱动安装完成");
  EXPECT_EQ(lines[9].Text(), "");
  EXPECT_EQ(state.countdownLine, 8);
  EXPECT_EQ(installs.Installs().size(), 1u);
}

TEST_F(InstallPrinterDriver, NoInvoiceMarkUsesTheFirstTwoLinesWhateverTheClass) {
  state.noInvoiceDriver = true;
  state.invoiceDriverClass = InvoiceDriverClass::SJZ;
  lines[0].SetText("打印驱动安装中请你耐心等待");
  lines[1].SetText("启动打印服务.....");
  omblet::InstallQueue installs = Install();
  installs.Advance(launcher);
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].commandLine, Command("Vollenby LP-702"));
  EXPECT_EQ(lines[0].Text(), "安装标准驱动..");
  EXPECT_EQ(lines[1].Text(), "驱动安装完成");
  EXPECT_EQ(lines[6].Text(), "加载驱动文件..");
  EXPECT_EQ(lines[7].Text(), "");
  EXPECT_EQ(state.countdownLine, 1);
}

TEST_F(InstallPrinterDriver, AnInstallThatCannotStartIsNamedAndTheNextStartsAtOnce) {
  state.invoiceDriverClass = InvoiceDriverClass::S;
  launcher.startable = false;
  omblet::InstallQueue installs = Install();
  EXPECT_EQ(installs.Advance(launcher), (std::vector<std::string>{"发票专用驱动S", "Vollenby LP-702"}));
  EXPECT_EQ(launcher.starts.size(), 2u);
  EXPECT_TRUE(installs.AllEnded());
  EXPECT_TRUE(installs.Advance(launcher).empty());
  EXPECT_EQ(launcher.starts.size(), 2u);
  EXPECT_FALSE(installs.Installs()[0].process.Started());
}

}  // namespace
