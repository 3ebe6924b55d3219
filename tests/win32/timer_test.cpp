#include <gtest/gtest.h>

#include "platform/win32/win32_controls.h"
#include "tests/win32/test_window.h"

namespace {

TEST(Win32Timer, TicksOnlyWhileEnabledWithAnInterval) {
  HWND host = test_support::CreateHostWindow();
  ASSERT_NE(host, nullptr);
  win32::Win32Timer timer(host, 7);

  timer.SetEnabled(true);  // interval still 0: not running
  EXPECT_EQ(test_support::PumpCountingTicks(host, 7, 150), 0);

  timer.SetInterval(30);
  EXPECT_GE(test_support::PumpCountingTicks(host, 7, 400), 3);

  timer.SetEnabled(false);
  EXPECT_EQ(test_support::PumpCountingTicks(host, 7, 150), 0);
  EXPECT_EQ(timer.Interval(), 30u);
  ::DestroyWindow(host);
}

}  // namespace
