// The reply read when the printer sends something before its frame: the read is posted again until the frame
// comes or the 1001 looks are used up, and no read outlives the reply handle.
#include <gtest/gtest.h>

#include "tests/unit/reading_fixture.h"

namespace {

using test_support::Frame;
using test_support::Reading;

constexpr const char* kDecoded = "Read correct!\r\n";

bool Decoded(const fakes::FakeRichText& debugView) { return debugView.Text().rfind(kDecoded, 0) == 0; }

// The tail of a late answer or a status byte (a short transfer), an empty transfer, a transfer that fails.
TEST_F(Reading, AReadEndedWithoutAFrameIsPostedAgainForTheFrame) {
  const std::pair<const char*, fakes::FakeTransfer> strays[] = {
      {"short", {{0x12}}}, {"empty", {}}, {"failed", {{}, true}}};
  for (const auto& [what, stray] : strays) {
    SCOPED_TRACE(what);
    f.mainWindow.OnCommand8Click();
    const int readsBefore = printer->readsStarted, checksBefore = printer->checks;
    printer->transfers = {stray, {Frame(), false, 5}};
    f.mainWindow.OnTimer4Tick();
    EXPECT_TRUE(Decoded(f.richTextBox1)) << f.richTextBox1.Text();
    EXPECT_EQ(printer->readsStarted - readsBefore, 1);  // one more read, after the stray one ended
    EXPECT_EQ(printer->checks - checksBefore, 7);       // the stray end, five pending looks, the frame
    EXPECT_EQ(printer->openHandles, 0);
  }
}

// On a serial line a read ends only when full: a whole read's worth of stray bytes, then the frame.
TEST_F(Reading, AFullReadOfStrayBytesIsFollowedByTheFrame) {
  f.mainWindow.OnCommand8Click();
  printer->reply.assign(64, 0x12);
  const std::vector<uint8_t> frame = Frame();
  printer->reply.insert(printer->reply.end(), frame.begin(), frame.end());
  f.mainWindow.OnTimer4Tick();
  EXPECT_TRUE(Decoded(f.richTextBox1)) << f.richTextBox1.Text();
  EXPECT_TRUE(printer->reply.empty());
}

TEST_F(Reading, AFrameOnTheLastLookIsTakenAndOneLookLaterIsNot) {
  f.mainWindow.OnCommand8Click();
  printer->transfers = {{{0x12}}, {Frame(), false, 999}};  // looks 2 to 1000 find the read pending
  f.mainWindow.OnTimer4Tick();
  EXPECT_TRUE(Decoded(f.richTextBox1)) << f.richTextBox1.Text();
  EXPECT_EQ(printer->checks, 1001);
  EXPECT_EQ(printer->cancels, 0);

  f.mainWindow.OnCommand8Click();
  printer->checks = 0;
  printer->transfers = {{{0x12}}, {Frame(), false, 1000}};
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(f.richTextBox1.Text(), "读取失败\r\n");
  EXPECT_EQ(printer->checks, 1001);
  EXPECT_EQ(printer->cancels, 1);  // the read posted again is cancelled before its handle goes
  EXPECT_EQ(printer->openHandles, 0);
}

TEST_F(Reading, ReadsThatKeepFailingEndInTheFailureText) {
  f.mainWindow.OnCommand8Click();
  printer->transfers.assign(2000, fakes::FakeTransfer{{}, true});
  f.mainWindow.OnTimer4Tick();
  EXPECT_EQ(f.richTextBox1.Text(), "读取失败\r\n");
  EXPECT_EQ(printer->checks, 1001);
  EXPECT_EQ(printer->readsStarted, 1001);  // no read is posted after the last look
  EXPECT_EQ(printer->cancels, 0);
  EXPECT_EQ(printer->openHandles, 0);
}

}  // namespace
