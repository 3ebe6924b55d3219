#include "platform/win32/win32_controls.h"

#include <commctrl.h>
#include <richedit.h>

#include <cwchar>

#include "platform/layout/colour_scheme.h"
#include "platform/layout/fit_to_screen.h"
#include "platform/win32/dpi_change.h"
#include "platform/win32/text_conversion.h"

namespace win32 {

namespace {

int SystemDpi() {
  HDC screen = ::GetDC(nullptr);
  int value = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return value > 0 ? value : 96;
}

int& LayoutDpi() {
  static int dpi = SystemDpi();
  return dpi;
}

}  // namespace

int TwipsToPixels(int twips) { return ::MulDiv(twips, LayoutDpi(), 1440); }

int FitLayoutToScreen(int largestClientWidthTwips, int largestClientHeightTwips) {
  const RECT work = WorkAreaForNewWindow(nullptr);  // the monitor the first window opens on
  RECT frame{0, 0, 0, 0};  // the largest frame any of the windows has: a caption and a sizing border
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  LayoutDpi() = platform::FitLayoutDpi(SystemDpi(), {work.right - work.left, work.bottom - work.top},
                                       {frame.right - frame.left, frame.bottom - frame.top},
                                       {largestClientWidthTwips, largestClientHeightTwips});
  return LayoutDpi();
}

HFONT CreatePointFont(const wchar_t* face, int tenthsOfPoint, bool bold, BYTE charset) {
  // Twentieths of a point are twips, so the height comes out of the same scaling as the layout.
  return ::CreateFontW(-TwipsToPixels(tenthsOfPoint * 2), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

HWND CreateNamedControl(HWND parent, const wchar_t* windowClass, const char* name, int id, DWORD style,
                        std::string_view text, RECT twips, DWORD exStyle) {
  HWND control = ::CreateWindowExW(exStyle, windowClass, Utf8ToWide(text).c_str(), WS_CHILD | style,
                                   TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.right),
                                   TwipsToPixels(twips.bottom), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                   nullptr);
  if (control) {
    ATOM atom = ::GlobalAddAtomW(Utf8ToWide(name).c_str());
    ::SetPropW(control, L"CtlName", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
    ::SendMessageW(control, WM_SETFONT, ::SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
  }
  return control;
}

std::string WindowText(HWND hwnd) {
  int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return WideToUtf8(text);
}

void SetWindowTextUtf8(HWND hwnd, std::string_view text) { ::SetWindowTextW(hwnd, Utf8ToWide(text).c_str()); }

namespace {
std::string ListText(HWND hwnd, UINT lengthMessage, UINT textMessage, int index) {
  LRESULT length = ::SendMessageW(hwnd, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = ::SendMessageW(hwnd, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return WideToUtf8(text);
}
}  // namespace

void Win32ListBox::Clear() { ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
void Win32ListBox::Add(std::string_view item) {
  std::wstring text = Utf8ToWide(item);
  ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
int Win32ListBox::Count() const { return static_cast<int>(::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
std::string Win32ListBox::Item(int index) const { return ListText(hwnd_, LB_GETTEXTLEN, LB_GETTEXT, index); }
int Win32ListBox::Selected() const { return static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
void Win32ListBox::Select(int index) { ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void Win32ComboBox::Clear() { ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
void Win32ComboBox::Add(std::string_view item) {
  std::wstring text = Utf8ToWide(item);
  ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
int Win32ComboBox::Count() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
std::string Win32ComboBox::Item(int index) const { return ListText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }
int Win32ComboBox::Selected() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
void Win32ComboBox::Select(int index) { ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void Win32CheckBox::SetValue(platform::CheckValue value) {
  ::SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}
platform::CheckValue Win32CheckBox::Value() const {
  return static_cast<platform::CheckValue>(::SendMessageW(hwnd_, BM_GETCHECK, 0, 0));
}

void Win32OptionButton::SetSelected(bool selected) {
  if (selected && group_) {
    for (HWND other : *group_) {
      if (other != hwnd_) ::SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  ::SendMessageW(hwnd_, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool Win32OptionButton::Selected() const { return ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32RichText::SetTextColor(uint32_t rgb) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_COLOR;
  if (platform::ColoursFor(HighContrastTheme()) == platform::ColourSource::System) {
    format.dwEffects = CFE_AUTOCOLOR;  // the system's window text colour
  } else {
    format.crTextColor = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }
  ::SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));  // for text set later
}

Win32EditText::Win32EditText(HWND hwnd) : Win32ControlBase(hwnd) {
  ::SendMessageW(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
}

void Win32EditText::SetTextColor(uint32_t rgb) {
  // Stored off by one, so that black is told apart from no colour.
  ::SetPropW(hwnd_, L"TextColor", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(rgb) + 1));
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool HighContrastTheme() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
    return true;
  }
  // The user's stored setting, which Windows keeps in step with the one above; Wine answers the call above with
  // "off" whatever is set, and this is where its users and our tests set it.
  wchar_t flags[16] = {};
  DWORD size = sizeof(flags);
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Accessibility\\HighContrast", L"Flags", RRF_RT_REG_SZ,
                     nullptr, flags, &size) != ERROR_SUCCESS) {
    return false;
  }
  return (std::wcstoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

HBRUSH ColorEditText(HWND edit, HDC dc) {
  auto stored = reinterpret_cast<ULONG_PTR>(::GetPropW(edit, L"TextColor"));
  if (!stored || platform::ColoursFor(HighContrastTheme()) == platform::ColourSource::System) return nullptr;
  const auto rgb = static_cast<uint32_t>(stored - 1);
  ::SetTextColor(dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return ::GetSysColorBrush(COLOR_WINDOW);
}

void Win32ProgressBar::SetRange(int minimum, int maximum) {
  ::SendMessageW(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}
void Win32ProgressBar::SetPosition(int position) {
  ::SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  ::UpdateWindow(hwnd_);  // drawn now, also while a long piece of work keeps the message loop waiting
}
int Win32ProgressBar::Position() const { return static_cast<int>(::SendMessageW(hwnd_, PBM_GETPOS, 0, 0)); }
int Win32ProgressBar::Maximum() const {
  return static_cast<int>(::SendMessageW(hwnd_, PBM_GETRANGE, FALSE, 0));
}

std::string ControlName(HWND control) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(::GetPropW(control, L"CtlName")));
  wchar_t name[256] = {};
  if (!atom || !::GlobalGetAtomNameW(atom, name, 256)) return {};
  return WideToUtf8(name);
}

namespace {

struct NameSearch {
  std::string_view name;
  HWND found;
};

// A named CALLBACK function rather than a lambda: on x86 the system calls it with __stdcall, which a lambda's
// conversion to a function pointer does not give.
BOOL CALLBACK MatchControlName(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<NameSearch*>(context);
  if (ControlName(child) != search->name) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND Win32Captions::Find(std::string_view controlName) const {
  NameSearch search{controlName, nullptr};
  ::EnumChildWindows(window_, MatchControlName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Win32Captions::SetCaption(std::string_view controlName, std::string_view text) {
  if (HWND control = Find(controlName)) SetWindowTextUtf8(control, text);
}

std::string Win32Captions::Caption(std::string_view controlName) const {
  HWND control = Find(controlName);
  return control ? WindowText(control) : std::string();
}

void Win32Timer::SetInterval(uint32_t milliseconds) {
  interval_ = milliseconds;
  Apply();
}

void Win32Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

// Setting the interval of a running timer starts its period anew, as SetTimer on the same id does.
void Win32Timer::Apply() {
  if (enabled_ && interval_ > 0) {
    ::SetTimer(hwnd_, id_, interval_, nullptr);
  } else {
    ::KillTimer(hwnd_, id_);
  }
}

}  // namespace win32
