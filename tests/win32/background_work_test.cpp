// Win32BackgroundWork: the work runs on a thread of its own, its end comes back through the thread's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_background_work.h"

namespace {

void DispatchWaiting() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

// Runs the thread's messages until `until` holds or 10 s have passed; false on the time-out.
bool PumpUntil(const std::function<bool()>& until) {
  const ULONGLONG end = ::GetTickCount64() + 10000;
  while (!until()) {
    if (::GetTickCount64() > end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    DispatchWaiting();
  }
  return true;
}

struct BackgroundWork : ::testing::Test {
  win32::UniqueKernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  const DWORD windowThread = ::GetCurrentThreadId();
};

TEST_F(BackgroundWork, DoneComesOnTheWindowsThreadAfterTheWorkAndOneTaskRunsAtATime) {
  win32::Win32BackgroundWork background;
  std::atomic<DWORD> workThread{0};
  DWORD doneThread = 0;
  bool done = false, noticed = false;
  ASSERT_TRUE(background.Start({[&] {
                                  workThread = ::GetCurrentThreadId();
                                  ::WaitForSingleObject(release.Get(), INFINITE);
                                },
                                [&] {
                                  doneThread = ::GetCurrentThreadId();
                                  done = true;
                                },
                                [&] { noticed = true; }, std::chrono::milliseconds(100)}));
  EXPECT_TRUE(background.Running());
  EXPECT_FALSE(background.Start({[] {}, [] {}, {}, {}}));
  // The window's thread goes on with its messages while the work waits, and hears that it still runs.
  EXPECT_TRUE(PumpUntil([&] { return noticed; }));
  EXPECT_FALSE(done);
  ::SetEvent(release.Get());
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  EXPECT_FALSE(background.Running());
  EXPECT_NE(workThread.load(), windowThread);
  EXPECT_EQ(doneThread, windowThread);
  bool second = false;
  EXPECT_TRUE(background.Start({[] {}, [&] { second = true; }, {}, {}}));
  EXPECT_TRUE(PumpUntil([&] { return second; }));
}

TEST_F(BackgroundWork, AQuickTaskGivesNoNoticeOfRunningLong) {
  win32::Win32BackgroundWork background;
  bool done = false, noticed = false;
  ASSERT_TRUE(background.Start({[] {}, [&] { done = true; }, [&] { noticed = true; }, std::chrono::milliseconds(300)}));
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  ::Sleep(400);
  DispatchWaiting();
  EXPECT_FALSE(noticed);
}

// Closing: the owner makes the work give up, then the runner waits for its thread; the end is never delivered.
TEST_F(BackgroundWork, DestroyingWaitsForTheWorkAndDropsItsEnd) {
  bool done = false;
  std::atomic<bool> workEnded{false};
  {
    win32::Win32BackgroundWork background;
    ASSERT_TRUE(background.Start({[&] {
                                    ::WaitForSingleObject(release.Get(), INFINITE);
                                    workEnded = true;
                                  },
                                  [&] { done = true; }, {}, {}}));
    ::SetEvent(release.Get());  // as DeviceFile::Abort would
  }
  EXPECT_TRUE(workEnded);
  DispatchWaiting();
  EXPECT_FALSE(done);
}

}  // namespace
