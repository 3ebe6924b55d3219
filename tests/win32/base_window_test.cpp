// The window-procedure trampoline: a handler that throws is reported and the window keeps answering.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/win32/base_window.h"

namespace {

constexpr UINT kThrow = WM_APP + 7;
constexpr UINT kAnswer = WM_APP + 8;

class ThrowingWindow : public win32::BaseWindow<ThrowingWindow> {
 public:
  bool Create() { return CreateTopLevel(L"ThrowingTestWindow", WS_OVERLAPPEDWINDOW, 200, 100, nullptr); }
  std::string reported;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrow) throw std::runtime_error("out of memory here");
    if (message == kAnswer) return 42;
    return DefaultHandling(message, wParam, lParam);
  }
  void OnHandlerFailure(const char* what) override { reported = what; }
};

TEST(BaseWindow, ThrowingHandlerIsReportedAndTheWindowGoesOn) {
  {
    ThrowingWindow window;
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(::SendMessageW(window.Handle(), kThrow, 0, 0), 0);
    EXPECT_EQ(window.reported, "out of memory here");
    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 0, 0), 42);
  }
  // The last window's end asks the thread to quit; later tests pump this thread's queue.
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
