#pragma once
// How soon a window's thread gets to what is posted to it: the time it spends away from its message queue.
#include <windows.h>

#include <string>
#include <vector>

// queuegap --for MS: posts a check-state change to check box `control` again and again, timing each until the box
// shows it; prints {"samples", "longest_ms", "median_ms"} and leaves the box as it found it.
int QueueGapCommand(HWND control, const std::vector<std::wstring>& args);

// watchcheck --value V --timeout MS: prints "ready", waits for a line on standard input (sent right after a real
// click elsewhere), then times how long until check box `control` holds V; prints {"ms"}.
int WatchCheckCommand(HWND control, const std::vector<std::wstring>& args);
