#include <gtest/gtest.h>

#include "platform/layout/fit_to_screen.h"

namespace {

using platform::FitLayoutDpi;

// The configuration tool's largest window (the main window's height, the console's width) and a window frame.
constexpr platform::PixelSize kLargest{15000, 9990};
constexpr platform::PixelSize kFrame{16, 39};

TEST(RescaledLayoutDpi, AMoveBetweenMonitorsKeepsTheShareOfTheMonitorsScale) {
  EXPECT_EQ(platform::RescaledLayoutDpi(96, 96, 192), 192);   // to a monitor at twice the scale
  EXPECT_EQ(platform::RescaledLayoutDpi(120, 144, 96), 80);   // a fitted layout stays fitted in proportion
  EXPECT_EQ(platform::RescaledLayoutDpi(144, 144, 144), 144);
  EXPECT_EQ(platform::RescaledLayoutDpi(50, 96, 48), 48);     // never below the smallest readable scale
  EXPECT_EQ(platform::RescaledLayoutDpi(96, 0, 144), 96);     // an unknown monitor scale changes nothing
}

TEST(FitLayoutDpi, TheSystemsScaleWhereTheWindowFits) {
  EXPECT_EQ(FitLayoutDpi(96, {1366, 728}, kFrame, kLargest), 96);
  EXPECT_EQ(FitLayoutDpi(96, {1920, 1040}, kFrame, kLargest), 96);
  EXPECT_EQ(FitLayoutDpi(120, {1920, 1040}, kFrame, kLargest), 120);
}

TEST(FitLayoutDpi, ScaledDownUntilTheWholeWindowFitsTheWorkArea) {
  for (int systemDpi : {120, 144, 192}) {
    for (platform::PixelSize work : {platform::PixelSize{1366, 728}, platform::PixelSize{1920, 1040}}) {
      int dpi = FitLayoutDpi(systemDpi, work, kFrame, kLargest);
      EXPECT_LE(dpi, systemDpi);
      EXPECT_LE(kLargest.width * dpi / 1440 + kFrame.width, work.width) << systemDpi;
      EXPECT_LE(kLargest.height * dpi / 1440 + kFrame.height, work.height) << systemDpi;
      // ...and no smaller than it must be: one more pixel per inch and it would not fit.
      const bool largerFits = kLargest.width * (dpi + 1) / 1440 + kFrame.width <= work.width &&
                              kLargest.height * (dpi + 1) / 1440 + kFrame.height <= work.height;
      EXPECT_TRUE(dpi == systemDpi || !largerFits) << systemDpi;
    }
  }
  EXPECT_EQ(FitLayoutDpi(144, {1920, 1040}, kFrame, kLargest), 144);
  EXPECT_EQ(FitLayoutDpi(192, {1920, 1040}, kFrame, kLargest), 144);  // (1040 - 39) * 1440 / 9990
  EXPECT_EQ(FitLayoutDpi(120, {1366, 728}, kFrame, kLargest), 99);
}

TEST(FitLayoutDpi, ATinyScreenStopsAtTheSmallestReadableScale) {
  EXPECT_EQ(FitLayoutDpi(96, {320, 240}, kFrame, kLargest), platform::kSmallestLayoutDpi);
  EXPECT_EQ(FitLayoutDpi(0, {1920, 1040}, kFrame, kLargest), 96);  // no answer from the system: 96
}

}  // namespace
