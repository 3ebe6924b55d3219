#pragma once
// The keys of a dialog for a window that is not one: its keyboard plan applied to its controls (z-order, tab stops,
// groups, hidden name labels), the focus on the first control at open and back where it was on reactivation, and
// Enter and Esc as the plan says. The message loop's IsDialogMessage does Tab, the arrows and Space.
#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/layout/keyboard_plan.h"

namespace win32 {

class DialogKeyboard {
 public:
  // `spokenNames`: names for boxes that have neither a label nor a frame; `defaultButton`: the control Enter
  // presses where the focus is on no button or list ("" for none).
  DialogKeyboard(HWND window, std::map<std::string, std::string> spokenNames = {}, std::string defaultButton = {});
  ~DialogKeyboard();
  DialogKeyboard(const DialogKeyboard&) = delete;
  DialogKeyboard& operator=(const DialogKeyboard&) = delete;

  // Controls (by name) that are shown over others: while one shows, what it covers is no tab stop.
  void ShowsOver(std::set<std::string> overlays) { overlays_ = std::move(overlays); }
  // What Esc does; without it Esc does nothing (it never closes the window or drops what was typed).
  void OnEscape(std::function<void()> escape) { escape_ = std::move(escape); }
  // Keyboard shortcuts: the accelerator table `tableName` of the program's resources. Each shortcut's command id
  // is a button's id, and the shortcut presses that button while it is shown and enabled, captions unchanged.
  void UseShortcuts(const wchar_t* tableName);
  // Plans again from where the controls are now and what is shown: after a layout or a change of visibility.
  void Arrange();
  void FocusFirst();
  // Takes the window's activation, focus and Enter/Esc commands; true when the message is answered.
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void RestoreFocus();
  void OnEnter();
  HWND NameLabelFor(HWND control, const std::string& text);

  HWND window_;
  std::map<std::string, std::string> spokenNames_;
  std::string defaultButton_;
  std::set<std::string> overlays_;
  std::function<void()> escape_;
  std::string firstTabStop_;
  HWND lastFocus_ = nullptr;
};

// The shortcut table of a window that uses one (for the message loop), or null.
HACCEL ShortcutsOf(HWND window);

// What kind of control a child window is, from its class and style.
platform::ControlRole RoleOf(HWND control);

// A multi-line box lets Tab and Esc go to the window, as in a dialog; typing in it is unchanged. Without this, Tab
// stays in the box and Esc makes it close its parent.
void LeaveOnTabAndEscape(HWND multiLineBox);

}  // namespace win32
