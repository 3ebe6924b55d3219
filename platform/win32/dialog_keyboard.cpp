#include "platform/win32/dialog_keyboard.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_controls.h"

namespace win32 {
namespace {

constexpr wchar_t kNameLabelMark[] = L"SpokenNameLabel";
constexpr wchar_t kShortcutsProperty[] = L"KeyboardShortcuts";

bool IsNameLabel(HWND child) { return ::GetPropW(child, kNameLabelMark) != nullptr; }

std::wstring ClassOf(HWND control) {
  wchar_t name[64] = {};
  ::GetClassNameW(control, name, 64);
  return name;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return ::lstrcmpiW(a.c_str(), b) == 0; }

void SetStyleBit(HWND control, LONG_PTR bit, bool on) {
  LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  LONG_PTR wanted = on ? (style | bit) : (style & ~bit);
  if (wanted != style) ::SetWindowLongPtrW(control, GWL_STYLE, wanted);
}

bool CanTakeFocus(HWND control) {
  return control && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

// The focus a key message would go to: for a combo box, the combo itself rather than its edit part.
HWND FocusedChildOf(HWND window) {
  HWND focus = ::GetFocus();
  while (focus && ::GetParent(focus) != window) {
    HWND parent = ::GetParent(focus);
    if (!parent || !(::GetWindowLongPtrW(focus, GWL_STYLE) & WS_CHILD)) return nullptr;
    focus = parent;
  }
  return focus;
}

HWND ChildNamed(HWND window, const std::string& name) {
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ControlName(child) == name) return child;
  }
  return nullptr;
}

LRESULT CALLBACK PassTabAndEscape(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, &PassTabAndEscape, 0);
  LRESULT result = ::DefSubclassProc(box, message, wParam, lParam);
  if (message == WM_GETDLGCODE) {
    // Never select the whole text when the focus arrives by Tab: the next key typed would replace it.
    result &= ~static_cast<LRESULT>(DLGC_HASSETSEL);
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
        (key->wParam == VK_TAB || key->wParam == VK_ESCAPE) && !(::GetKeyState(VK_CONTROL) & 0x8000)) {
      result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    }
  }
  return result;
}

}  // namespace

platform::ControlRole RoleOf(HWND control) {
  using platform::ControlRole;
  const std::wstring cls = ClassOf(control);
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  if (SameClass(cls, L"Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX: return ControlRole::Frame;
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: return ControlRole::CheckBox;
      case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return ControlRole::OptionButton;
      default: return ControlRole::PushButton;
    }
  }
  if (SameClass(cls, L"Static")) return ControlRole::Label;
  if (SameClass(cls, L"Edit") || SameClass(cls, L"RichEdit50W") || SameClass(cls, L"RICHEDIT50W")) {
    return (style & ES_MULTILINE) ? ControlRole::MultiLineText : ControlRole::Edit;
  }
  if (SameClass(cls, L"ListBox")) return ControlRole::List;
  if (SameClass(cls, L"ComboBox")) return ControlRole::Combo;
  return ControlRole::Other;
}

HACCEL ShortcutsOf(HWND window) { return static_cast<HACCEL>(::GetPropW(window, kShortcutsProperty)); }

void LeaveOnTabAndEscape(HWND multiLineBox) { ::SetWindowSubclass(multiLineBox, &PassTabAndEscape, 0, 0); }

DialogKeyboard::DialogKeyboard(HWND window, std::map<std::string, std::string> spokenNames, std::string defaultButton)
    : window_(window), spokenNames_(std::move(spokenNames)), defaultButton_(std::move(defaultButton)) {}

// A table loaded from the resources is the module's: it needs no freeing.
DialogKeyboard::~DialogKeyboard() { ::RemovePropW(window_, kShortcutsProperty); }

void DialogKeyboard::UseShortcuts(const wchar_t* tableName) {
  if (HACCEL table = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), tableName)) {
    ::SetPropW(window_, kShortcutsProperty, table);
  }
}

void DialogKeyboard::Arrange() {
  std::vector<HWND> handles;
  std::vector<platform::PlacedControl> placed;
  for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (IsNameLabel(child)) continue;
    RECT box{};
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
    platform::PlacedControl control;
    control.name = ControlName(child);
    if (control.name.empty()) control.name = "#" + std::to_string(::GetDlgCtrlID(child));
    control.box = {box.left, box.top, box.right, box.bottom};
    control.role = RoleOf(child);
    control.visible = (::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) != 0;
    control.overlay = overlays_.count(control.name) != 0;
    control.selected = control.role == platform::ControlRole::OptionButton &&
                       ::SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // Only captions are read: a box may hold millions of characters.
    if (control.role == platform::ControlRole::Frame || control.role == platform::ControlRole::Label) {
      control.text = WindowText(child);
    }
    handles.push_back(child);
    placed.push_back(std::move(control));
  }
  RECT client{};
  ::GetClientRect(window_, &client);
  const platform::KeyboardPlan plan =
      platform::PlanKeyboard(placed, {client.left, client.top, client.right, client.bottom}, spokenNames_);
  firstTabStop_ = plan.firstTabStop;

  auto handleOf = [&](const std::string& name) -> HWND {
    for (size_t i = 0; i < placed.size(); ++i) {
      if (placed[i].name == name) return handles[i];
    }
    return nullptr;
  };
  HWND above = HWND_TOP;
  auto place = [&](HWND control) {
    ::SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    above = control;
  };
  for (const platform::KeyboardEntry& entry : plan.order) {
    HWND control = handleOf(entry.name);
    if (!control) continue;
    if (!entry.spokenName.empty()) place(NameLabelFor(control, entry.spokenName));
    place(control);
    SetStyleBit(control, WS_TABSTOP, entry.tabStop);
    if (platform::keyboard_detail::TakesFocus(RoleOf(control)) || RoleOf(control) == platform::ControlRole::Frame) {
      SetStyleBit(control, WS_GROUP, entry.groupStart);
    }
  }
}

HWND DialogKeyboard::NameLabelFor(HWND control, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  // The label of a control is kept on the control, so that it goes when the control goes.
  auto label = static_cast<HWND>(::GetPropW(control, L"SpokenNameLabelWindow"));
  if (!label || !::IsWindow(label)) {
    label = ::CreateWindowExW(0, L"STATIC", wide.c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (!label) return control;
    ::SetPropW(label, kNameLabelMark, reinterpret_cast<HANDLE>(1));
    ::SetPropW(control, L"SpokenNameLabelWindow", label);
  } else {
    wchar_t current[512] = {};
    ::GetWindowTextW(label, current, 512);
    if (wide != current) ::SetWindowTextW(label, wide.c_str());
  }
  return label;
}

void DialogKeyboard::FocusFirst() {
  HWND first = firstTabStop_.empty() ? nullptr : ChildNamed(window_, firstTabStop_);
  if (CanTakeFocus(first)) {
    ::SetFocus(first);
  } else {
    ::SetFocus(window_);  // a window with nothing to focus still takes the keys, as an active window does
  }
}

void DialogKeyboard::RestoreFocus() {
  if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(window_, lastFocus_) && CanTakeFocus(lastFocus_)) {
    ::SetFocus(lastFocus_);
  } else {
    FocusFirst();
  }
}

void DialogKeyboard::OnEnter() {
  HWND focus = FocusedChildOf(window_);
  const platform::EnterAction action =
      platform::EnterActionFor(focus ? RoleOf(focus) : platform::ControlRole::Other);
  if (action == platform::EnterAction::PressFocused) {
    ::SendMessageW(focus, BM_CLICK, 0, 0);
  } else if (action == platform::EnterAction::DoubleClick) {
    ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), LBN_DBLCLK), reinterpret_cast<LPARAM>(focus));
  } else if (!defaultButton_.empty()) {
    HWND button = ChildNamed(window_, defaultButton_);
    if (CanTakeFocus(button)) ::SendMessageW(button, BM_CLICK, 0, 0);
  }
}

bool DialogKeyboard::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = FocusedChildOf(window_)) lastFocus_ = focus;
      } else if (!HIWORD(wParam)) {  // not while minimised
        RestoreFocus();
      }
      result = 0;
      return true;
    case WM_SETFOCUS:
      RestoreFocus();
      result = 0;
      return true;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1 && lParam == 0) {  // a shortcut
        HWND button = ::GetDlgItem(window_, LOWORD(wParam));
        if (CanTakeFocus(button)) ::SendMessageW(button, BM_CLICK, 0, 0);
        result = 0;
        return true;
      }
      // The dialog keys arrive as the dialog commands: Enter as IDOK, Esc as IDCANCEL. Esc never closes a
      // window or drops what was typed.
      // A button of the window whose id happens to be IDOK or IDCANCEL is a click, not a key.
      if (HIWORD(wParam) == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) &&
          (lParam == 0 || ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != LOWORD(wParam))) {
        if (LOWORD(wParam) == IDOK) OnEnter();
        if (LOWORD(wParam) == IDCANCEL && escape_) escape_();
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace win32
