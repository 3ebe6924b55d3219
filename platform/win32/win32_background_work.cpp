#include "platform/win32/win32_background_work.h"

#include <algorithm>

namespace win32 {
namespace {

constexpr wchar_t kClassName[] = L"QuorvelBackgroundWork";
constexpr UINT kWorkEnded = WM_APP + 1;
constexpr UINT_PTR kStillRunningTimer = 1;

}  // namespace

Win32BackgroundWork::Win32BackgroundWork() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  if (!::GetClassInfoW(instance, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);
  }
  messages_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (messages_) ::SetWindowLongPtrW(messages_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32BackgroundWork::~Win32BackgroundWork() {
  if (thread_) ::WaitForSingleObject(thread_.Get(), INFINITE);
  // A posted end not yet delivered goes with the window.
  if (messages_) ::DestroyWindow(messages_);
}

bool Win32BackgroundWork::Start(platform::BackgroundTask task) {
  if (thread_ || !messages_) return false;
  task_ = std::make_unique<platform::BackgroundTask>(std::move(task));
  thread_ = UniqueKernelHandle(::CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr));
  if (!thread_) {
    task_.reset();
    return false;
  }
  if (task_->stillRunning) {
    ::SetTimer(messages_, kStillRunningTimer,
               static_cast<UINT>(std::max<long long>(USER_TIMER_MINIMUM, task_->stillRunningAfter.count())), nullptr);
  }
  return true;
}

DWORD WINAPI Win32BackgroundWork::ThreadMain(void* self) {
  auto* work = static_cast<Win32BackgroundWork*>(self);
  try {
    work->task_->work();
  } catch (...) {
    // Nothing may leave a thread; `done` still comes, with whatever the work had recorded.
  }
  ::PostMessageW(work->messages_, kWorkEnded, 0, 0);
  return 0;
}

void Win32BackgroundWork::Finish() {
  ::KillTimer(messages_, kStillRunningTimer);
  // The thread's last step was the post: the wait is short, and after it everything the work wrote is visible here.
  ::WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  std::unique_ptr<platform::BackgroundTask> task = std::move(task_);
  if (task->done) task->done();
}

LRESULT CALLBACK Win32BackgroundWork::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* work = reinterpret_cast<Win32BackgroundWork*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (work && message == kWorkEnded && work->thread_) {
    work->Finish();
    return 0;
  }
  if (work && message == WM_TIMER && wParam == kStillRunningTimer) {
    ::KillTimer(hwnd, kStillRunningTimer);
    if (work->task_ && work->task_->stillRunning) work->task_->stillRunning();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace win32
