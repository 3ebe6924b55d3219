#pragma once
// Window-procedure trampoline: the HWND's user data points at the C++ object that handles its messages.
#include <windows.h>

#include <algorithm>

#include <exception>
#include <map>
#include <memory>
#include <string>

#include "platform/layout/fit_to_screen.h"
#include "platform/win32/dialog_keyboard.h"
#include "platform/win32/dpi_change.h"
#include "platform/win32/win32_controls.h"

#include "platform/win32/text_conversion.h"

namespace win32 {

// Top-level windows of the process that are alive: the program ends when the last one is gone, whichever it is.
inline int liveTopLevelWindows = 0;

template <typename Derived>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  virtual ~BaseWindow() {
    if (hwnd_) {
      ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      ::DestroyWindow(hwnd_);
      if (--liveTopLevelWindows == 0) ::PostQuitMessage(0);
    }
  }

  HWND Handle() const { return hwnd_; }

 protected:
  // Registers the class once and creates the window; the Derived object must outlive it.
  bool CreateTopLevel(const wchar_t* className, DWORD style, int clientWidth, int clientHeight, HBRUSH background,
                      HWND owner = nullptr) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(instance, className, &windowClass)) {
      windowClass.cbSize = sizeof(windowClass);
      windowClass.lpfnWndProc = &BaseWindow::WindowProc;
      windowClass.hInstance = instance;
      windowClass.lpszClassName = className;
      windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      // The program's icon (resource 1) at the sizes of the title bar and of Alt+Tab, picked from its images.
      windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXICON),
                                                          ::GetSystemMetrics(SM_CYICON), LR_SHARED));
      windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                            ::GetSystemMetrics(SM_CXSMICON),
                                                            ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
      windowClass.hbrBackground = background;
      if (!::RegisterClassExW(&windowClass)) return false;
    }
    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    const RECT work = WorkAreaForNewWindow(owner);
    // Centred, but never with its title bar above or left of the work area.
    int left = std::max(work.left, work.left + ((work.right - work.left) - width) / 2);
    int top = std::max(work.top, work.top + ((work.bottom - work.top) - height) / 2);
    layoutDpi_ = TwipsToPixels(1440);
    monitorDpi_ = MonitorDpiOf(nullptr);  // the scale the layout was fitted at
    if (!::CreateWindowExW(0, className, L"", style, left, top, width, height, owner, nullptr, instance, this)) {
      return false;
    }
    // Opened on a monitor of another scale than the system's: drawn at that monitor's scale from the start.
    const int opensAt = MonitorDpiOf(hwnd_);
    if (opensAt != monitorDpi_) {
      RECT client{};
      ::GetClientRect(hwnd_, &client);
      const int from = layoutDpi_;
      ChangeScale(opensAt);
      RECT frame{0, 0, ::MulDiv(client.right, layoutDpi_, from), ::MulDiv(client.bottom, layoutDpi_, from)};
      ::AdjustWindowRectEx(&frame, style, FALSE, 0);
      ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
  }

  // Pixels per inch the window's layout is drawn at now: the process's fitted scale, carried over to the scale of
  // the monitor the window is on.
  int LayoutDpi() const { return layoutDpi_; }
  int ToPixels(int twips) const { return ::MulDiv(twips, layoutDpi_, 1440); }

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // A handler that threw (in practice: memory ran out) is reported, and the window goes on.
  virtual void OnHandlerFailure(const char* what) {
    wchar_t caption[256] = {};
    ::GetWindowTextW(hwnd_, caption, 256);
    ::MessageBoxW(hwnd_, (L"操作没有完成: " + Utf8ToWide(what)).c_str(), caption, MB_OK | MB_ICONERROR);
  }

  // Gives the window the keys of a dialog, once its controls are made and loaded.
  DialogKeyboard& UseDialogKeys(std::map<std::string, std::string> spokenNames = {}, std::string defaultButton = {}) {
    keyboard_ = std::make_unique<DialogKeyboard>(hwnd_, std::move(spokenNames), std::move(defaultButton));
    keyboard_->Arrange();
    return *keyboard_;
  }
  DialogKeyboard* Keyboard() const { return keyboard_.get(); }

  // The window moved to a monitor of another scale: its controls and fonts are drawn at that scale.
  void ChangeScale(int monitorDpi) {
    const int newLayout = platform::RescaledLayoutDpi(layoutDpi_, monitorDpi_, monitorDpi);
    rescaler_.Rescale(hwnd_, layoutDpi_, newLayout);
    layoutDpi_ = newLayout;
    monitorDpi_ = monitorDpi;
  }

  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<BaseWindow*>(create->lpCreateParams);
      self->hwnd_ = hwnd;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      ++liveTopLevelWindows;
    } else {
      self = reinterpret_cast<BaseWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
      if (message == kDpiChanged) {
        // Controls first, so that the size change the suggested rectangle brings lays them out at the new scale.
        self->ChangeScale(LOWORD(wParam));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (self->keyboard_) self->keyboard_->Arrange();
      } else if (!self->keyboard_ || !self->keyboard_->Handle(message, wParam, lParam, result)) {
        result = self->HandleMessage(message, wParam, lParam);
      }
    } catch (const std::exception& failure) {
      // An exception must never unwind through the system's own frames of the message dispatch.
      self->OnHandlerFailure(failure.what());
      result = ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
      self->keyboard_.reset();
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      if (--liveTopLevelWindows == 0) ::PostQuitMessage(0);
    }
    return result;
  }

  static constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, sent from Windows 8.1 on

  HWND hwnd_ = nullptr;
  std::unique_ptr<DialogKeyboard> keyboard_;
  ControlRescaler rescaler_;
  int layoutDpi_ = 96;
  int monitorDpi_ = 96;
};

}  // namespace win32
