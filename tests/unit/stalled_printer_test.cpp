// A printer that takes no data (out of paper, cover open, busy): every write is bounded, the user is told why,
// and nothing goes on as if the write had gone through.
#include <gtest/gtest.h>

#include "config_tool/link/device_channel.h"
#include "tests/unit/reading_fixture.h"

namespace {

using test_support::Frame;
using test_support::kQuery;
using test_support::Reading;

struct StalledPrinter : Reading {
  void SetUp() override {
    Reading::SetUp();
    f.process.paramsReadDone = 1;  // the read the load asks for is tested with the load
    printer->stalled = true;
  }
};

TEST_F(StalledPrinter, AReadWhoseCommandWasNotTakenSaysWhyAndWaitsForNoAnswer) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    f.process.language = static_cast<int16_t>(language);
    f.mainWindow.OnCommand8Click();
    const std::string said = f.richTextBox1.Text();
    EXPECT_NE(said.find(language == 1 ? "打印机没有接收数据" : "The printer took no data"), std::string::npos) << said;
    EXPECT_NE(said.find(language == 1 ? "缺纸" : "out of paper"), std::string::npos) << said;
    EXPECT_FALSE(f.timer4.Enabled());
    EXPECT_EQ(printer->openHandles, 0);  // no reply handle left waiting
  }
  ASSERT_FALSE(printer->writeLimits.empty());
  for (auto limit : printer->writeLimits) EXPECT_EQ(limit, quorvel::kDeviceWriteLimit);
}

TEST_F(StalledPrinter, ASetThatDidNotGoThroughIsNeverReportedDoneAndStartsNoWait) {
  f.process.language = 1;
  f.mainWindow.OnCommand4Click();
  EXPECT_NE(f.richTextBox1.Text().find("设置没有写入"), std::string::npos) << f.richTextBox1.Text();
  EXPECT_EQ(f.host.waitWindowsOpened, 0);
  EXPECT_TRUE(f.window.Enabled());
  EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);

  // Once the printer takes data again, the same Set goes through and the wait starts.
  printer->stalled = false;
  f.mainWindow.OnCommand4Click();
  EXPECT_EQ(printer->writes.size(), 1u);
  EXPECT_EQ(f.host.waitWindowsOpened, 1);
}

TEST_F(StalledPrinter, TheNextReadWorksOnceThePrinterTakesDataAgain) {
  f.mainWindow.OnCommand8Click();
  printer->stalled = false;
  f.mainWindow.OnCommand8Click();
  ASSERT_EQ(printer->writes.size(), 1u);
  EXPECT_EQ(Written(0), kQuery);
  printer->reply = Frame();
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(f.richTextBox1.Text().rfind("Read correct!\r\n", 0), 0u) << f.richTextBox1.Text();
}

// While a write waits, the window answers messages sent to it: a click delivered then must not start a second
// operation inside the first.
TEST_F(StalledPrinter, ClicksDeliveredWhileAWriteWaitsStartNothing) {
  int reentered = 0;
  printer->duringWrite = [&] {
    ++reentered;
    f.mainWindow.OnCommand8Click();
    f.mainWindow.OnCommand4Click();
    f.mainWindow.OnTimer4Tick();
  };
  f.mainWindow.OnCommand4Click();
  EXPECT_EQ(reentered, 1);  // the nested clicks wrote nothing
  EXPECT_EQ(printer->writeLimits.size(), 1u);
  EXPECT_NE(f.richTextBox1.Text().find("The settings were not written"), std::string::npos) << f.richTextBox1.Text();
  EXPECT_EQ(f.host.waitWindowsOpened, 0);
}

// The frame as a real printer may send it: after stray bytes, in pieces, late.
struct FrameInPieces : Reading {
  std::vector<uint8_t> frame = Frame();
  std::vector<uint8_t> Piece(size_t from, size_t to) const { return {frame.begin() + from, frame.begin() + to}; }
  void ExpectDecoded() {
    EXPECT_EQ(f.richTextBox1.Text().rfind("Read correct!\r\n", 0), 0u) << f.richTextBox1.Text();
    EXPECT_EQ(f.combo8.Selected(), 11);  // what the frame says, so it was taken from the right bytes
    EXPECT_EQ(printer->openHandles, 0);
  }
};

TEST_F(FrameInPieces, AFrameInTwoTransfersIsPutTogether) {
  f.mainWindow.OnCommand8Click();
  printer->transfers = {{Piece(0, 40)}, {Piece(40, 64), false, 3}};
  f.mainWindow.OnTimer4Tick();
  ExpectDecoded();
}

TEST_F(FrameInPieces, AFrameAfterStrayBytesInTheSameTransfersIsFound) {
  f.mainWindow.OnCommand8Click();
  std::vector<uint8_t> first = {0x12, 0x40, 0x00};  // a status byte and the tail of an earlier answer
  first.insert(first.end(), frame.begin(), frame.begin() + 61);
  printer->transfers = {{first}, {Piece(61, 64)}};
  f.mainWindow.OnTimer4Tick();
  ExpectDecoded();
}

TEST_F(FrameInPieces, ALateFrameWithinTheLooksIsTaken) {
  f.mainWindow.OnCommand8Click();
  printer->transfers = {{{}, false, 0}, {Piece(0, 64), false, 900}};
  f.mainWindow.OnTimer4Tick();
  ExpectDecoded();
}

TEST_F(FrameInPieces, PiecesThatNeverCloseAFrameEndInTheFailureText) {
  f.mainWindow.OnCommand8Click();
  std::vector<uint8_t> broken = frame;
  broken[63] = 0x00;
  printer->transfers = {{Piece(0, 30)}, {std::vector<uint8_t>(broken.begin() + 30, broken.end())}};
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(f.richTextBox1.Text(), "读取失败\r\n");
  EXPECT_EQ(printer->checks, 1001);
}

// Each look may wait briefly for the read, but the looks of one collection wait about one second in all.
TEST(ReplyLooks, WaitBrieflyEachUntilTheirShareOfTimeIsSpent) {
  fakes::FakeDeviceFiles devices;
  fakes::FakeEndpoint& printer = devices.Endpoint("p");
  using Clock = quorvel::DeviceChannel::Clock;
  Clock::time_point now{};
  int looks = 0;
  quorvel::DeviceChannel channel(devices, [&] { return now; });
  ASSERT_TRUE(channel.OpenReply("p"));
  printer.transfers = {{{}, false, 2000}};  // pending throughout
  // Every call of the clock after the first look moves it on by 10 ms, as slow waits would.
  quorvel::DeviceChannel slow(devices, [&] {
    now += std::chrono::milliseconds(looks++ > 0 ? 10 : 0);
    return now;
  });
  ASSERT_TRUE(slow.OpenReply("p"));
  printer.checkWaits.clear();
  EXPECT_FALSE(slow.CollectFrame(quorvel::kFrameChecks).has_value());
  ASSERT_EQ(printer.checkWaits.size(), 1001u);
  EXPECT_EQ(printer.checkWaits.front(), quorvel::kReplyCheckWait);
  EXPECT_EQ(printer.checkWaits.back(), std::chrono::milliseconds{0});
  const auto waiting = std::count(printer.checkWaits.begin(), printer.checkWaits.end(), quorvel::kReplyCheckWait);
  EXPECT_EQ(waiting, 99);  // 10 ms a look: looks from the 100th on find the 1000 ms spent

  // With a clock that does not move, all 1001 looks may wait.
  printer.checkWaits.clear();
  EXPECT_FALSE(channel.CollectFrame(quorvel::kFrameChecks).has_value());
  EXPECT_EQ(std::count(printer.checkWaits.begin(), printer.checkWaits.end(), quorvel::kReplyCheckWait), 1001);
}

}  // namespace
