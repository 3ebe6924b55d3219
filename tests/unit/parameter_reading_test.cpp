// The read command, its timers, the decoder's effect on the controls, the Set button and the wait window.
#include <gtest/gtest.h>

#include "config_tool/console/settings_wait_window.h"
#include "tests/unit/reading_fixture.h"

namespace {

using test_support::Frame;
using test_support::kQuery;
using test_support::Reading;

TEST_F(Reading, ReadSendsTheQueryAndTheTickDecodesIntoEveryControl) {
  f.mainWindow.OnCommand8Click();
  ASSERT_EQ(printer->writes.size(), 1u);
  EXPECT_EQ(Written(0), kQuery);
  EXPECT_TRUE(f.timer4.Running());
  EXPECT_EQ(f.timer4.Interval(), 1000u);

  printer->reply = Frame();
  f.mainWindow.OnTimer4Tick();
  EXPECT_FALSE(f.timer4.Enabled());
  EXPECT_EQ(printer->openHandles, 0);  // the reply handle is closed after decoding
  EXPECT_EQ(f.richTextBox1.Text().substr(0, 14), "Read correct!\r");
  EXPECT_NE(f.richTextBox1.Text().find("USBPID:2000(KESTRAMO K-108)"), std::string::npos);
  EXPECT_TRUE(f.option5.Selected());  // handshake '0'
  EXPECT_TRUE(f.option2.Selected());  // black mark
  EXPECT_EQ(f.combo8.Text(), "+2 mm");
  EXPECT_EQ(f.combo6.Selected(), 1);
  EXPECT_TRUE(f.combo7.Enabled());  // internal power makes the protection choice available
  EXPECT_EQ(f.combo7.Selected(), 1);
}

TEST_F(Reading, AFrameWithoutItsEndMarkerIsNeverAccepted) {
  f.mainWindow.OnCommand8Click();
  printer->reply = Frame([](auto& frame) { frame[63] = 'X'; });
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(f.richTextBox1.Text(), "读取失败\r\n");
  EXPECT_EQ(printer->checks, 1001);
  EXPECT_EQ(printer->openHandles, 0);
  EXPECT_FALSE(f.option2.Selected());  // controls keep their values
}

TEST_F(Reading, NoIdentifiedPrinterWritesNothing) {
  f.registry.SetString(test_support::kEnumKey, "0", "USB\\VID_1A86&PID_9999\\UNKNOWN");
  f.mainWindow.OnCommand8Click();
  EXPECT_EQ(f.richTextBox1.Text(), "No printer linked");
  EXPECT_TRUE(f.devices.openLog.empty());
}

TEST_F(Reading, APrinterThatCannotBeOpenedIsReported) {
  printer->openable = false;
  f.process.language = 1;
  f.mainWindow.OnCommand8Click();
  EXPECT_EQ(f.richTextBox1.Text(), "打开打印机失败");
  EXPECT_FALSE(f.timer4.Enabled());
}

TEST_F(Reading, AReplyHandleThatCannotBeOpenedAfterTheWriteIsReported) {
  printer->opensLeft = 1;  // the write's open works, the reply's does not
  f.mainWindow.OnCommand8Click();
  ASSERT_EQ(printer->writes.size(), 1u);
  EXPECT_EQ(Written(0), kQuery);
  EXPECT_EQ(f.richTextBox1.Text(), "Cannot open the printer");
  EXPECT_FALSE(f.timer4.Enabled());
  EXPECT_EQ(printer->openHandles, 0);
  f.mainWindow.OnTimer4Tick();  // a tick that comes anyway finds no reply to collect
  EXPECT_EQ(f.richTextBox1.Text(), "Cannot open the printer");
  EXPECT_EQ(printer->checks, 0);
}

TEST_F(Reading, AFrameWithoutTheExtendedLayoutLeavesTheFrontSensorAndPowerListsAlone) {
  ASSERT_EQ(f.combo5.Selected(), 0);  // as loaded: front sensor, external power, head protection
  ASSERT_EQ(f.combo6.Selected(), 0);
  ASSERT_EQ(f.combo7.Selected(), 0);
  ASSERT_FALSE(f.combo7.Enabled());
  f.mainWindow.OnCommand8Click();
  printer->reply = Frame([](auto& frame) {
    const std::string length = "00012345";
    std::copy(length.begin(), length.end(), frame.begin() + 34);
    frame[56] = frame[57] = frame[58] = '0';  // what an extended frame would turn into index 1 of each list
  });
  f.mainWindow.OnTimer4Tick();
  ASSERT_EQ(f.richTextBox1.Text().substr(0, 14), "Read correct!\r");
  EXPECT_EQ(f.combo5.Selected(), 0);
  EXPECT_EQ(f.combo6.Selected(), 0);
  EXPECT_EQ(f.combo7.Selected(), 0);
  EXPECT_FALSE(f.combo7.Enabled());
}

TEST_F(Reading, AnOffsetAbove20LeavesThePositionListAlone) {
  f.combo8.Select(5);
  for (uint8_t offset : {21, 255}) {
    f.mainWindow.OnCommand8Click();
    printer->reply = Frame([offset](auto& frame) { frame[59] = offset; });
    f.mainWindow.OnTimer4Tick();
    ASSERT_EQ(f.richTextBox1.Text().substr(0, 14), "Read correct!\r");
    EXPECT_EQ(f.combo8.Selected(), 5) << int{offset};
  }
}

TEST_F(Reading, ASecondReadCancelsTheFirstBeforeWriting) {
  f.mainWindow.OnCommand8Click();
  f.mainWindow.OnCommand8Click();
  EXPECT_EQ(printer->cancels, 1);
  EXPECT_EQ(printer->openHandles, 1);
  EXPECT_EQ(printer->writes.size(), 2u);
}

TEST_F(Reading, AutomaticReadFollowsItsTickBoxAndThePendingFlag) {
  f.process.paramsReadDone = 1;  // the read the load asks for is tested with the load
  f.check2.SetValue(platform::CheckValue::Grayed);
  f.mainWindow.OnTimer3Tick();
  EXPECT_TRUE(printer->writes.empty());

  f.check2.SetValue(platform::CheckValue::Checked);
  f.process.paramsReadDone = 0;
  f.mainWindow.OnTimer3Tick();
  EXPECT_EQ(printer->writes.size(), 2u);  // two read commands in one tick...
  EXPECT_EQ(f.process.paramsReadDone, 1);
  printer->reply = Frame();
  f.mainWindow.OnTimer4Tick();
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(printer->checks, 1);  // ...and one decoding
}

// A setting changed and not yet written pauses the automatic read, which says so; once the change is undone or
// written, the next tick reads and the printer's value shows again.
struct AutomaticRead : Reading {
  int printerValue = -1;
  size_t writes = 0;
  void SetUp() override {
    Reading::SetUp();
    f.process.paramsReadDone = 1;
    f.check2.SetValue(platform::CheckValue::Checked);
    printer->reply = Frame();
    f.mainWindow.OnTimer3Tick();
    f.mainWindow.OnTimer4Tick();
    printerValue = f.combo4.Selected();
    ASSERT_GE(printerValue, 0);
    f.combo4.Select(1 - printerValue);  // the speed limit changed, not written
    writes = printer->writes.size();
    for (int tick = 0; tick < 2; ++tick) {
      f.mainWindow.OnTimer3Tick();
      f.mainWindow.OnTimer4Tick();
    }
  }
  void ExpectTheNextTickToShowThePrinterValue() {
    const size_t before = printer->writes.size();
    f.mainWindow.OnTimer3Tick();
    ASSERT_EQ(printer->writes.size(), before + 1);
    EXPECT_EQ(Written(before), kQuery);
    printer->reply = Frame();
    f.mainWindow.OnTimer4Tick();
    EXPECT_EQ(f.richTextBox1.Text().substr(0, 13), "Read correct!");
    EXPECT_EQ(f.combo4.Selected(), printerValue);
  }
};

TEST_F(AutomaticRead, PausesAndSaysSoWhileAChangeIsNotWritten) {
  EXPECT_EQ(printer->writes.size(), writes);
  EXPECT_EQ(f.combo4.Selected(), 1 - printerValue);
  const std::string shown = f.richTextBox1.Text();
  EXPECT_NE(shown.find("Automatic read paused"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Automatic read paused"), shown.rfind("Automatic read paused")) << "said once: " << shown;
  f.mainWindow.OnCommand8Click();  // a read asked for with the button still reads
  EXPECT_EQ(printer->writes.size(), writes + 1);
}

TEST_F(AutomaticRead, GoesOnOnceTheChangeIsUndone) {
  f.combo4.Select(printerValue);
  ExpectTheNextTickToShowThePrinterValue();
}

TEST_F(AutomaticRead, GoesOnOnceTheChangeIsWritten) {
  f.mainWindow.OnCommand4Click();
  ASSERT_EQ(printer->writes.size(), writes + 1);
  f.window.SetEnabled(true);  // the wait window's end
  // The printer here keeps its old value: the read after the write shows what the printer holds.
  ExpectTheNextTickToShowThePrinterValue();
}

TEST_F(Reading, SetWritesTheBatchAndOpensTheWaitWindow) {
  f.mainWindow.OnCommand4Click();
  ASSERT_EQ(printer->writes.size(), 1u);
  EXPECT_EQ(Written(0), "SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110000\r\n");
  EXPECT_FALSE(f.window.Enabled());
  EXPECT_EQ(f.host.waitWindowsOpened, 1);
  EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);
}

TEST_F(Reading, SetReadsGreyedBoxesAsTheyCount) {
  f.check1.SetValue(platform::CheckValue::Grayed);
  f.check5.SetValue(platform::CheckValue::Grayed);
  f.option1.SetSelected(false);
  f.mainWindow.OnCommand4Click();
  EXPECT_EQ(Written(0), "\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110010\r\n");
}

// A write that failed or was short may have left part of the new settings in the printer: they are read back.
struct FailedSet : Reading {
  void SetAndExpectTheSettingsReadBack(const std::string& report) {
    f.mainWindow.OnCommand4Click();
    EXPECT_EQ(f.richTextBox1.Text(), report);
    EXPECT_TRUE(f.window.Enabled());
    EXPECT_EQ(f.host.waitWindowsOpened, 0);
    EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);
    EXPECT_EQ(f.process.paramsReadDone, 0);
    f.mainWindow.OnTimer3Tick();  // automatic reading is off, yet this tick reads
    ASSERT_EQ(printer->writes.size(), 2u);
    EXPECT_EQ(Written(1), kQuery);
    EXPECT_EQ(f.process.paramsReadDone, 1);
  }
};

TEST_F(FailedSet, AShortWriteIsReportedAndTheSettingsReadBack) {
  printer->writeResult = 10;
  SetAndExpectTheSettingsReadBack("Settings write failed");
}

TEST_F(FailedSet, AFailedWriteIsReportedAndTheSettingsReadBack) {
  printer->failWrites = true;
  f.process.language = 1;
  SetAndExpectTheSettingsReadBack("设置写入失败");
}

TEST_F(Reading, SetOnAPrinterThatCannotBeOpenedSendsNothingAndWaitsForNothing) {
  f.process.paramsReadDone = 1;  // the read the load asks for is tested with the load
  printer->openable = false;
  f.mainWindow.OnCommand4Click();
  EXPECT_EQ(f.richTextBox1.Text(), "Cannot open the printer");
  EXPECT_TRUE(printer->writes.empty());
  EXPECT_TRUE(f.window.Enabled());
  EXPECT_EQ(f.host.waitWindowsOpened, 0);
  EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);
  EXPECT_EQ(f.process.paramsReadDone, 1);  // nothing reached the printer, so there is nothing to read back
}

TEST_F(Reading, SetWithoutAnyPrinterReloadsTheWindowAndSaysWhy) {
  f.registry.RemoveValue(test_support::kEnumKey, "0");
  f.check5.SetValue(platform::CheckValue::Checked);
  f.mainWindow.OnCommand4Click();
  EXPECT_TRUE(printer->writes.empty());
  EXPECT_EQ(f.richTextBox1.Text(), "no printer linked!\n");
  EXPECT_EQ(f.check5.Value(), platform::CheckValue::Unchecked);  // freshly loaded
  EXPECT_EQ(f.list2.Count(), 76);
}

TEST(SettingsWait, HoldsAboutFifteenSecondsThenGivesTheWindowBack) {
  fakes::FakeWindow wait, main;
  fakes::FakeProgressBar bar;
  fakes::FakeTimer timer1, timer3;
  fakes::FakeSkinEngine skin;
  quorvel::ProcessState process;
  process.paramsReadDone = 1;
  main.SetEnabled(false);
  quorvel::SettingsWaitWindow window({wait, bar, timer1}, {main, timer3, process}, skin);
  window.Load();
  EXPECT_TRUE(wait.topmost);
  EXPECT_EQ(timer1.Interval(), 5u);
  EXPECT_EQ(skin.calls, std::vector<std::string>{"SetAero(1)"});
  int ticks = 0;
  while (timer1.Running() && ticks < 1000) {
    window.OnTimer1Tick();
    ++ticks;
    if (timer1.Running()) {
      EXPECT_EQ(timer1.Interval(), 100u);
    }
  }
  EXPECT_EQ(ticks, 149);
  EXPECT_EQ(bar.Maximum(), 150);
  EXPECT_EQ(bar.Position(), 149);
  EXPECT_TRUE(main.Enabled());
  EXPECT_EQ(timer3.Interval(), 3000u);
  EXPECT_EQ(process.paramsReadDone, 0);
  EXPECT_TRUE(wait.closed);
}

}  // namespace
