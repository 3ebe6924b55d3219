#include <gtest/gtest.h>

#include "driver_installer/model_table.h"
#include "driver_installer/text_helpers.h"
#include "tests/unit/installer_fixture.h"

namespace {

using test_support::DependentOf;
using test_support::InstallerFixture;

constexpr std::string_view kPrinter = "USB\\VID_1A86&PID_6036\\7&2F1C";  // class N, invoice allowed
const std::string kModel(omblet::FindModel("6036")->modelName);
const std::string kFolder = "C:\\Program Files\\Omblet";

std::string Countdown(int n) { return "打印机驱动安装完成:" + std::to_string(n) + "s(5秒后自动关闭)"; }
std::string Command(std::string_view name, std::string_view port = "USB001") {
  return omblet::InstallCommandLine(name, kFolder, port);
}

class InstallerFlow : public ::testing::Test, protected InstallerFixture {
 protected:
  // A printer that is plugged in and known to the registry; the installs add their printers to the spooler.
  void AttachPrinter(std::string_view instance = kPrinter) {
    wmi.dependents = {DependentOf("USB\\ROOT_HUB30\\4&1"), DependentOf(instance)};
    RegisterPrinter(instance, "0", 1);
  }
  // printui added these printers on the resolved port, each with its own model as driver.
  void InstallsSucceed(std::vector<std::string> names) {
    for (const std::string& name : names) spooler.setups[name] = {"USB001", name};
    spooler.printers = std::move(names);
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    for (const auto& start : launcher.starts) lines.push_back(start.commandLine);
    return lines;
  }
};

TEST_F(InstallerFlow, LoadShowsTheFirstLinesAndStartsTheSpoolerHidden) {
  lines[7].SetText("left over");
  installer.Load();
  EXPECT_EQ(window.Caption(), "OmbletV300.19(20180607)");
  EXPECT_EQ(Line(0), "打印驱动安装中请你耐心等待");
  EXPECT_EQ(Line(1), "启动打印服务");
  EXPECT_EQ(Line(7), "");
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].program, "C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(launcher.starts[0].commandLine, "cmd /c net start spooler");
  EXPECT_EQ(launcher.starts[0].show, platform::ShowState::Hidden);
  // cmd finds "net" in its current folder first: the system's own, not one beside the program.
  EXPECT_EQ(launcher.starts[0].workingFolder, "C:\\Windows\\system32");
  EXPECT_TRUE(timerDelay.Running());
  EXPECT_EQ(timerDelay.Interval(), 1u);
  EXPECT_FALSE(timerUSBCheck.Running());
  EXPECT_FALSE(timerEnd.Running());
}

// Without a printer the window would wait for ever: its button (or Esc) ends the wait and the window, until a
// printer is found; the installs that then start are not stopped halfway.
TEST_F(InstallerFlow, TheWaitForAPrinterCanBeStoppedUntilAPrinterIsFound) {
  struct Case {
    const char* what;
    uint64_t stopAt;
    bool printerAttached;
    bool stops;
  };
  const Case cases[] = {
      {"while the spooler starts", 2000, false, true},
      {"while no printer is attached", 30000, false, true},
      {"once the installs run", 30000, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallerFixture f;
    if (c.printerAttached) {
      f.wmi.dependents = {DependentOf(kPrinter)};
      f.RegisterPrinter(kPrinter, "0", 1);
    }
    f.installer.Load();
    EXPECT_TRUE(f.stopButton.Visible());
    EXPECT_FALSE(f.stopButton.Text().empty());
    f.RunUntil(c.stopAt);
    EXPECT_EQ(f.stopButton.Visible(), c.stops);
    EXPECT_EQ(f.installer.StopWaiting(), c.stops);
    EXPECT_EQ(f.window.closed, c.stops);
    if (c.stops) {
      EXPECT_FALSE(f.timerDelay.Running() || f.timerUSBCheck.Running() || f.timerEnd.Running());
      EXPECT_TRUE(f.dialogs.messages.empty());
    }
  }
}

TEST_F(InstallerFlow, FiveDotsAtFourSecondsThenDetectionAtFive) {
  installer.Load();
  RunUntil(0);
  EXPECT_EQ(Line(1), "启动打印服务");
  RunUntil(1);
  EXPECT_EQ(Line(1), "启动打印服务.");
  RunUntil(4000);
  EXPECT_EQ(Line(1), "启动打印服务....");
  RunUntil(4001);
  EXPECT_EQ(Line(1), "启动打印服务.....");
  EXPECT_TRUE(wmi.queries.empty());
  RunUntil(5001);
  EXPECT_EQ(Line(2), "正在检测USB打印机");
  EXPECT_FALSE(timerDelay.Running());
  EXPECT_TRUE(wmi.queries.empty());
  RunUntil(5002);
  EXPECT_EQ(wmi.queries.size(), 1u);
  EXPECT_EQ(Line(1), "启动打印服务.....");
  EXPECT_EQ(timerDelay.ticks, 6);
}

// On a real PC COM's modal loop delivers timer ticks while a WMI query waits: such a tick neither detects again
// nor starts the installs twice.
TEST_F(InstallerFlow, ATickDeliveredDuringTheQueryRunsNoSecondDetection) {
  AttachPrinter();
  int nested = 0;
  wmi.duringQuery = [&] {
    if (nested++ == 0) installer.OnTimerUSBCheckTick();  // one tick comes in while the first query waits
  };
  installer.Load();
  RunUntil(5002);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(wmi.queries.size(), 1u);
  EXPECT_EQ(Commands(), (std::vector<std::string>{"cmd /c net start spooler", Command("发票专用驱动N")}));
  EXPECT_FALSE(timerUSBCheck.Running());
}

TEST_F(InstallerFlow, ScansOnceASecondAndTheWaitingNumberCountsEveryDevice) {
  wmi.dependents = {"A", "B", "C"};
  installer.Load();
  RunUntil(5002);
  EXPECT_EQ(Line(2), "正在查询USB打印机，请确认打印机是否处于打开状态:3s");
  EXPECT_EQ(Line(3), "C");
  RunUntil(6001);
  EXPECT_EQ(wmi.queries.size(), 1u);
  RunUntil(6002);
  EXPECT_EQ(Line(2), "正在查询USB打印机，请确认打印机是否处于打开状态:6s");
  RunUntil(5002 + 32 * 1000);  // 33 scans, 99 devices
  EXPECT_EQ(Line(2), "正在查询USB打印机，请确认打印机是否处于打开状态:99s");
  RunUntil(5002 + 33 * 1000);
  EXPECT_EQ(Line(2), "正在查询USB打印机，请确认打印机是否处于打开状态:2s");  // 100 became 0, then 1, 2
  EXPECT_TRUE(launcher.starts.size() == 1u);
}

TEST_F(InstallerFlow, PrinterAttachedBeforeStartIsInstalledInTheFirstScan) {
  AttachPrinter();
  installer.Load();
  RunUntil(5002);
  EXPECT_EQ(Line(2), "检测到USB打印机型号:" + kModel);
  EXPECT_EQ(Line(3), DependentOf(kPrinter));
  EXPECT_EQ(Line(4), "检测到打印机虚拟端口:USB001");
  EXPECT_EQ(Line(5), "正在将打印机驱动程序复制到你的计算机..");
  EXPECT_EQ(Line(6), "加载驱动文件..");
  EXPECT_EQ(Line(7), "安装发票专用驱动..");
  EXPECT_EQ(Line(8), "安装标准驱动..");
  EXPECT_EQ(Line(9), "驱动安装完成");
  // Both installs stage the same package: the standard one waits until the invoice one has ended.
  EXPECT_EQ(Commands(), (std::vector<std::string>{"cmd /c net start spooler", Command("发票专用驱动N")}));
  EXPECT_EQ(launcher.starts[1].program, "C:\\Windows\\system32\\rundll32.exe");
  RunUntil(5003 + 1010);
  EXPECT_EQ(launcher.starts.size(), 2u);
  *launcher.starts[1].ended = true;
  RunUntil(5003 + 2 * 1010);
  EXPECT_EQ(Commands(), (std::vector<std::string>{"cmd /c net start spooler", Command("发票专用驱动N"),
                                                  Command(kModel)}));
  EXPECT_EQ(launcher.starts[2].program, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_FALSE(timerUSBCheck.Running());
  EXPECT_TRUE(timerEnd.Running());
  EXPECT_EQ(window.Caption(), "OmbletV300.19(20180607)欢迎使用Vollenby打印机");
}

TEST_F(InstallerFlow, PrinterAttachedLateIsFoundAtTheNextScan) {
  installer.Load();
  RunUntil(8002);
  EXPECT_EQ(launcher.starts.size(), 1u);
  AttachPrinter();
  RunUntil(9001);
  EXPECT_EQ(launcher.starts.size(), 1u);
  RunUntil(9002);
  EXPECT_EQ(launcher.starts.size(), 2u);
}

TEST_F(InstallerFlow, CountdownOneToSixThenTheMessageOnlyAfterItTheWindowCloses) {
  AttachPrinter();
  launcher.endAtOnce = true;
  InstallsSucceed({"Microsoft Print to PDF", "发票专用驱动N", kModel});
  installer.Load();
  RunUntil(5002);
  RunUntil(5003);
  EXPECT_EQ(Line(9), Countdown(1));
  RunUntil(5003 + 1010 - 1);
  EXPECT_EQ(Line(9), Countdown(1));
  RunUntil(5003 + 1010);
  EXPECT_EQ(Line(9), Countdown(2));
  RunUntil(5003 + 4 * 1010);
  EXPECT_EQ(Line(9), Countdown(5));
  EXPECT_TRUE(dialogs.messages.empty());
  RunUntil(5003 + 5 * 1010);
  EXPECT_EQ(Line(9), Countdown(6));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "驱动安装成功!!");
  EXPECT_EQ(dialogs.messages[0].title, "Omblet");
  EXPECT_FALSE(dialogs.windowClosedBeforeMessage);
  EXPECT_TRUE(window.closed);
  EXPECT_FALSE(timerEnd.Running());
  EXPECT_EQ(Line(omblet::kCheckLine), "");
}

TEST_F(InstallerFlow, NoInvoiceModelCountsDownOnLineOne) {
  AttachPrinter("USB\\VID_1A86&PID_A00E\\1");
  launcher.endAtOnce = true;
  installer.Load();
  RunUntil(5003);
  EXPECT_EQ(Line(0), "安装标准驱动..");
  EXPECT_EQ(Line(1), Countdown(1));
  EXPECT_EQ(Line(7), "");
  EXPECT_EQ(launcher.starts.size(), 2u);
}

TEST_F(InstallerFlow, PrinterNotListedAfterTheInstallsIsNamedInTheMessageAndOnTheCheckLine) {
  AttachPrinter();
  launcher.endAtOnce = true;
  InstallsSucceed({kModel});
  installer.Load();
  RunUntilTrue([&] { return window.closed; });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "以下打印机没有安装成功: 发票专用驱动N");
  EXPECT_EQ(Line(omblet::kCheckLine), "以下打印机没有安装成功: 发票专用驱动N");
  // The countdown line no longer claims a finished install that closes by itself.
  EXPECT_EQ(Line(9), "打印机驱动没有安装成功");
}

TEST_F(InstallerFlow, PrinterLeftOnAnotherPortOrWithAnotherDriverDoesNotCountAsInstalled) {
  AttachPrinter();
  launcher.endAtOnce = true;
  InstallsSucceed({"发票专用驱动N", kModel});
  spooler.setups["发票专用驱动N"].portName = "USB002";        // left from an install for another printer
  spooler.setups[kModel].driverName = "Generic / Text Only";  // printui failed, an old printer stays
  installer.Load();
  RunUntilTrue([&] { return window.closed; });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "以下打印机没有安装成功: 发票专用驱动N（端口 USB002）、" + kModel + "（驱动 Generic / Text Only）");
}

TEST_F(InstallerFlow, PortListAndLetterCaseOfTheSpoolerAreAccepted) {
  AttachPrinter();
  launcher.endAtOnce = true;
  InstallsSucceed({"发票专用驱动N", kModel});
  spooler.setups["发票专用驱动N"].portName = "LPT1:, usb001";
  spooler.setups[kModel].driverName = omblet::LowerAscii(kModel);
  installer.Load();
  RunUntilTrue([&] { return window.closed; });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "驱动安装成功!!");
}

TEST_F(InstallerFlow, WaitsForTheInstallProgramsBeforeCheckingTheSpooler) {
  AttachPrinter();
  installer.Load();
  RunUntil(5003 + 5 * 1010);
  EXPECT_EQ(Line(9), Countdown(6));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Line(omblet::kCheckLine), "正在等待驱动安装程序结束..");
  RunUntil(5003 + 5 * 1010 + 3000);
  EXPECT_EQ(Line(omblet::kCheckLine), "正在等待驱动安装程序结束..3s");
  EXPECT_EQ(Line(9), Countdown(6));
  // The invoice install ends; the standard one starts at the next poll and ends too.
  launcher.EndAll();
  RunUntil(5003 + 5 * 1010 + 4000);
  ASSERT_EQ(launcher.starts.size(), 3u);
  EXPECT_TRUE(dialogs.messages.empty());
  launcher.EndAll();
  InstallsSucceed({"发票专用驱动N", kModel});
  uint64_t shown = RunUntilTrue([&] { return !dialogs.messages.empty(); });
  EXPECT_EQ(shown, 5003u + 5 * 1010 + 5000);
  EXPECT_EQ(dialogs.messages[0].text, "驱动安装成功!!");
  EXPECT_TRUE(window.closed);
}

TEST_F(InstallerFlow, GivesUpWaitingAfterTwoMinutesAndReportsWhatIsMissing) {
  AttachPrinter();
  InstallsSucceed({"发票专用驱动N"});
  installer.Load();
  uint64_t countdownEnd = 5003 + 5 * 1010;
  RunUntil(countdownEnd + 119 * 1000);
  EXPECT_TRUE(dialogs.messages.empty());
  RunUntil(countdownEnd + 120 * 1000);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "以下打印机没有安装成功: " + kModel);
}

TEST_F(InstallerFlow, WmiFailureIsShownAndDetectionRetries) {
  wmi.reachable = false;
  installer.Load();
  RunUntil(5002);
  EXPECT_EQ(Line(3), "无法通过WMI查询USB设备，稍后重试");
  wmi.reachable = true;
  AttachPrinter();
  RunUntil(6002);
  EXPECT_EQ(Line(2), "检测到USB打印机型号:" + kModel);
}

TEST_F(InstallerFlow, SpoolerCommandThatCannotStartIsShownAndTheFlowGoesOn) {
  launcher.startable = false;
  AttachPrinter();
  installer.Load();
  EXPECT_EQ(Line(omblet::kProblemLine), "无法启动打印服务命令: cmd /c net start spooler");
  RunUntilTrue([&] { return window.closed; });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "以下打印机没有安装成功: 发票专用驱动N、" + kModel);
  EXPECT_EQ(Line(omblet::kProblemLine), "无法启动驱动安装程序: 发票专用驱动N、" + kModel);
}

TEST_F(InstallerFlow, MissingDriverPackageIsNamedAndTheCheckReportsTheResult) {
  fileSystem.files.clear();
  AttachPrinter();
  installer.Load();
  RunUntil(5002);
  EXPECT_EQ(Line(omblet::kProblemLine), "找不到驱动文件: C:\\Program Files\\Omblet\\QRX\\QRX.inf");
  RunUntilTrue([&] { return window.closed; });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "以下打印机没有安装成功: 发票专用驱动N、" + kModel);
}

}  // namespace
