#include "platform/win32/answering_wait.h"

namespace win32 {

bool WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    const ULONGLONG spent = ::GetTickCount64() - start;
    const DWORD left = spent >= milliseconds ? 0 : static_cast<DWORD>(milliseconds - spent);
    const DWORD result = ::MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE | QS_PAINT);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return ::WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
    // Looking at the queue delivers the messages sent to the thread's windows; then the pending repaints.
    MSG message{};
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&message);
    if (left == 0) return ::WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
  }
}

}  // namespace win32
