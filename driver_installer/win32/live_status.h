#pragma once
// Status lines that a screen reader reads out when they change, without taking the focus: a polite live region.
#include <windows.h>

namespace omblet_win32 {

// Marks `line` as a polite live region (read by Windows 8 and later; Windows 7 ignores the mark).
void MarkLiveRegion(HWND line);
// Takes the mark off again, as the line is destroyed.
void UnmarkLiveRegion(HWND line);
// Tells screen readers that the text of `line` changed.
void AnnounceChange(HWND line);

}  // namespace omblet_win32
