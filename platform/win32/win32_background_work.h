#pragma once
#include <windows.h>

#include <memory>

#include "platform/interfaces/background_work.h"
#include "platform/win32/unique_handles.h"

namespace win32 {

// A thread per task; its end comes back as a message to a message-only window of the creating thread, so `done`
// runs there, from the message loop or any modal loop, like a timer tick. Create it on the window's thread.
class Win32BackgroundWork : public platform::BackgroundWork {
 public:
  Win32BackgroundWork();
  // Waits for the running task's thread (its owner has made it give up first) and drops its `done`.
  ~Win32BackgroundWork() override;
  Win32BackgroundWork(const Win32BackgroundWork&) = delete;
  Win32BackgroundWork& operator=(const Win32BackgroundWork&) = delete;

  bool Start(platform::BackgroundTask task) override;
  bool Running() const override { return static_cast<bool>(thread_); }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI ThreadMain(void* self);
  void Finish();

  HWND messages_ = nullptr;
  UniqueKernelHandle thread_;
  std::unique_ptr<platform::BackgroundTask> task_;
};

}  // namespace win32
