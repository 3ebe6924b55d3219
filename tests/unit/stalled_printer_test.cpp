// A printer that takes no data (out of paper, cover open, busy): every write is bounded, the user is told why,
// and nothing goes on as if the write had gone through.
#include <gtest/gtest.h>

#include <functional>

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

// A printer that holds a write off: the write waits as background work while the window goes on.
struct HeldWrite : StalledPrinter {
  void SetUp() override {
    StalledPrinter::SetUp();
    f.background.hold = true;
  }
  int registryReadsBefore = 0;
};

// Every way the user or a timer can start an operation, while one waits on the printer: none starts anything,
// and none searches for printers again under the running operation.
TEST_F(HeldWrite, NothingStartsTwiceWhileAWriteWaits) {
  const std::pair<const char*, std::function<void(quorvel::MainWindow&)>> firsts[] = {
      {"read", [](quorvel::MainWindow& w) { w.OnCommand8Click(); }},
      {"set", [](quorvel::MainWindow& w) { w.OnCommand4Click(); }},
  };
  for (const auto& [first, start] : firsts) {
    SCOPED_TRACE(first);
    f.check2.SetValue(platform::CheckValue::Checked);
    f.process.paramsReadDone = 0;  // a tick would read twice
    start(f.mainWindow);
    ASSERT_TRUE(f.background.Running());
    const int started = f.background.started, reads = f.registry.reads;
    f.mainWindow.OnCommand8Click();
    f.mainWindow.OnCommand4Click();
    f.mainWindow.OnTimer3Tick();
    f.mainWindow.OnTimer4Tick();
    EXPECT_EQ(f.background.started, started);
    EXPECT_EQ(f.registry.reads, reads) << "the printer search ran again under the waiting operation";
    EXPECT_TRUE(printer->writeLimits.empty());  // the held write has not even reached the printer yet

    f.background.Finish();  // the printer gave up on it: stalled (what the view says then: the tests above)
    EXPECT_FALSE(f.background.Running());
    EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);
    EXPECT_EQ(printer->writeLimits.size(), 1u);
    printer->writeLimits.clear();
  }
}

// A write the printer takes after a few seconds: the view says it waits, then the read goes on as usual, its
// collection being background work too.
TEST_F(HeldWrite, ALateWriteIsShownAsWaitingAndThenTheReadGoesOn) {
  printer->stalled = false;
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    f.process.language = static_cast<int16_t>(language);
    f.mainWindow.OnCommand8Click();
    const std::string before = f.richTextBox1.Text();
    f.background.PassNoticeTime();
    EXPECT_NE(f.richTextBox1.Text().find(language == 1 ? "正在等待打印机" : "Waiting for the printer"),
              std::string::npos)
        << f.richTextBox1.Text();
    f.background.Finish();
    EXPECT_EQ(f.richTextBox1.Text(), before);
    EXPECT_TRUE(f.timer4.Running());
  }
  f.process.language = 0;
  printer->reply = Frame();
  f.mainWindow.OnTimer4Tick();
  const int started = f.background.started;
  f.mainWindow.OnCommand8Click();  // during the collection: starts nothing
  EXPECT_EQ(f.background.started, started);
  f.background.Finish();
  EXPECT_EQ(f.richTextBox1.Text().rfind("Read correct!\r\n", 0), 0u) << f.richTextBox1.Text();
  EXPECT_EQ(printer->openHandles, 0);
  EXPECT_EQ(printer->writes.size(), 2u);
}

// Closing the window while a write waits makes the write give up at once, and leaves no handle open.
TEST_F(HeldWrite, ClosingTheWindowMakesTheWaitingWriteGiveUp) {
  fakes::FakeBackgroundWork background;
  background.hold = true;
  {
    quorvel::MainWindow second(f.controls, {f.registry, f.spooler, f.devices, background, {f.skin, f.files, f.dialogs},
                               f.shell},
                               f.process, f.host);
    second.OnCommand4Click();
    ASSERT_TRUE(background.Running());
    EXPECT_EQ(printer->aborts, 0);
  }
  EXPECT_EQ(printer->aborts, 1);
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

// Late in time, not in looks: looks that never wait would all pass before it comes.
TEST_F(FrameInPieces, AFrameHalfASecondLateIsTaken) {
  f.mainWindow.OnCommand8Click();
  printer->transfers = {{{}, false, 0}, {Piece(0, 64), false, 0, std::chrono::milliseconds{500}}};
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
  printer.transfers = {{{}, false, 5000}};  // pending throughout
  auto reply = devices.Open("p", platform::OpenMode::Overlapped);
  ASSERT_TRUE(reply->StartRead(quorvel::kFrameSize));
  // Every call of the clock after the first look moves it on by 10 ms, as slow waits would.
  EXPECT_FALSE(quorvel::DeviceChannel::CollectFrame(*reply, quorvel::kFrameChecks, [&] {
                 now += std::chrono::milliseconds(looks++ > 0 ? 10 : 0);
                 return now;
               }).has_value());
  ASSERT_EQ(printer.checkWaits.size(), 1001u);
  EXPECT_EQ(printer.checkWaits.front(), quorvel::kReplyCheckWait);
  EXPECT_EQ(printer.checkWaits.back(), std::chrono::milliseconds{0});
  const auto waiting = std::count(printer.checkWaits.begin(), printer.checkWaits.end(), quorvel::kReplyCheckWait);
  EXPECT_EQ(waiting, 99);  // 10 ms a look: looks from the 100th on find the 1000 ms spent

  // With a clock that does not move, all 1001 looks may wait.
  printer.checkWaits.clear();
  EXPECT_FALSE(quorvel::DeviceChannel::CollectFrame(*reply, quorvel::kFrameChecks, [&] { return now; }).has_value());
  EXPECT_EQ(std::count(printer.checkWaits.begin(), printer.checkWaits.end(), quorvel::kReplyCheckWait), 1001);
}

}  // namespace
