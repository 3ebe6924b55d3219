#pragma once
// Waiting on the window thread without leaving its windows unanswered.
#include <windows.h>

namespace win32 {

// Waits until `object` is signalled or `milliseconds` have passed; true when it was signalled. Meanwhile the
// thread answers what other threads and programs send to its windows (the system's checks whether they still
// respond among them) and repaints them. Input and timer messages stay queued for the message loop: the handler
// that waits is still on the stack, and no click or tick may start another operation inside it.
bool WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds);

}  // namespace win32
