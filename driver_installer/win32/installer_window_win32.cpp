#include "driver_installer/win32/installer_window_win32.h"

#include <commctrl.h>

#include <string>

#include "driver_installer/win32/live_status.h"
#include "platform/layout/colour_scheme.h"

namespace omblet_win32 {
namespace {

constexpr int kClientWidthTwips = kInstallerClientTwips.width;
constexpr int kClientHeightTwips = kInstallerClientTwips.height;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kFixedSingle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Device texts carry "&": no mnemonic prefixes. A line too long for its width ends in an ellipsis.
constexpr DWORD kLabelStyle = WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
constexpr UINT_PTR kTimerDelay = 1, kTimerUSBCheck = 2, kTimerEnd = 3;
constexpr int kLabel2Id = 200, kLabel1Id = 100, kStopId = 300;

// A status line with no text is hidden, so that a screen reader meets no empty, nameless lines; each line is a live
// region, and a line whose text changes says so, so that the new status is read out where the focus is.
LRESULT CALLBACK AnnounceStatus(HWND line, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    UnmarkLiveRegion(line);
    ::RemoveWindowSubclass(line, &AnnounceStatus, 0);
  }
  if (message != WM_SETTEXT) return ::DefSubclassProc(line, message, wParam, lParam);
  const auto* text = reinterpret_cast<const wchar_t*>(lParam);
  const bool empty = !text || !*text;
  const LRESULT result = ::DefSubclassProc(line, message, wParam, lParam);
  ::ShowWindow(line, empty ? SW_HIDE : SW_SHOWNA);
  if (!empty) AnnounceChange(line);
  return result;
}

}  // namespace

// Twips layout: the maker line at the top, then the fifteen status lines 360 twips apart.
struct InstallerWindowWin32::Controls {
  explicit Controls(HWND w) : hwnd(w), window(w) {
    for (int i = 0; i < omblet::kStatusLineCount; ++i) {
      std::string name = "Label1(" + std::to_string(i) + ")";
      lines[static_cast<size_t>(i)] = std::make_unique<win32::Win32Label>(win32::CreateNamedControl(
          hwnd, L"STATIC", name.c_str(), kLabel1Id + i, kLabelStyle, "", {120, 480 + 360 * i, 9015, 315}));
      lineRefs[static_cast<size_t>(i)] = lines[static_cast<size_t>(i)].get();
      ::SetWindowSubclass(lines[static_cast<size_t>(i)]->Handle(), &AnnounceStatus, 0, 0);
      MarkLiveRegion(lines[static_cast<size_t>(i)]->Handle());
    }
  }

  HWND hwnd;
  win32::Win32Window window;
  win32::Win32Label label2{win32::CreateNamedControl(hwnd, L"STATIC", "Label2", kLabel2Id, kLabelStyle, "",
                                                     {120, 120, 9015, 315})};
  std::array<std::unique_ptr<win32::Win32Label>, omblet::kStatusLineCount> lines;
  // Below the last status line; the one control that takes the focus while the window waits for a printer.
  win32::Win32Label stopButton{win32::CreateNamedControl(hwnd, L"BUTTON", "CommandStop", kStopId,
                                                         WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "",
                                                         {8100, 6000, 1000, 420})};
  omblet::StatusLines lineRefs{};
  win32::Win32Timer timerDelay{hwnd, kTimerDelay};
  win32::Win32Timer timerUSBCheck{hwnd, kTimerUSBCheck};
  win32::Win32Timer timerEnd{hwnd, kTimerEnd};
};

InstallerWindowWin32::InstallerWindowWin32(platform::Wmi& wmi) : wmi_(wmi), background_(::CreateSolidBrush(kNavy)) {}

InstallerWindowWin32::~InstallerWindowWin32() {
  logic_.reset();
  controls_.reset();
  if (font_) ::DeleteObject(font_);
  ::DeleteObject(background_);
}

bool InstallerWindowWin32::Create() {
  return CreateTopLevel(kInstallerWindowClass, kFixedSingle, win32::TwipsToPixels(kClientWidthTwips),
                        win32::TwipsToPixels(kClientHeightTwips), background_);
}

void InstallerWindowWin32::CreateControls() {
  // 10.5 points: 210 twips.
  font_ = ::CreateFontW(-win32::TwipsToPixels(210), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                        L"新宋体");
  dialogs_.SetOwner(Handle());
  controls_ = std::make_unique<Controls>(Handle());
  logic_ = std::make_unique<omblet::InstallerWindow>(
      omblet::InstallerControls{controls_->window, controls_->label2, controls_->lineRefs, controls_->timerDelay,
                                controls_->timerUSBCheck, controls_->timerEnd, controls_->stopButton},
      omblet::InstallerServices{wmi_, registry_, launcher_, spooler_, dialogs_, fileSystem_});
}

// White text straight on the window's navy background; the system's text and window colours under a
// high-contrast theme.
HBRUSH InstallerWindowWin32::Background() const {
  return platform::ColoursFor(win32::HighContrastTheme()) == platform::ColourSource::System
             ? ::GetSysColorBrush(COLOR_WINDOW)
             : background_;
}

LRESULT InstallerWindowWin32::LabelColours(HDC dc) {
  const bool system = platform::ColoursFor(win32::HighContrastTheme()) == platform::ColourSource::System;
  ::SetTextColor(dc, system ? ::GetSysColor(COLOR_WINDOWTEXT) : kWhite);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(Background());
}

LRESULT InstallerWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      logic_->Load();
      UseDialogKeys().OnEscape([this] {
        if (logic_) logic_->StopWaiting();
      });
      return 0;
    case WM_COMMAND:
      if (logic_ && LOWORD(wParam) == kStopId && HIWORD(wParam) == BN_CLICKED) logic_->StopWaiting();
      if (Keyboard()) Keyboard()->Arrange();  // the button hides once the installs start
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_CTLCOLORSTATIC:
      return LabelColours(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(Handle(), &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, Background());
      return 1;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // a theme switched on or off while the window is open
      ::InvalidateRect(Handle(), nullptr, TRUE);
      return DefaultHandling(message, wParam, lParam);
    case WM_TIMER:
      if (!logic_) return 0;
      if (wParam == kTimerDelay) logic_->OnTimerDelayTick();
      if (wParam == kTimerUSBCheck) logic_->OnTimerUSBCheckTick();
      if (wParam == kTimerEnd) logic_->OnTimerEndTick();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace omblet_win32
