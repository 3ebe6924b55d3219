#pragma once
// The control interfaces on real Win32 controls, and the helpers that create them.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/interfaces/controls.h"
#include "platform/interfaces/timer.h"

namespace win32 {

// Twips (1/1440 inch) to pixels at the screen's resolution.
int TwipsToPixels(int twips);

// Draws every layout of the process at the largest scale, up to the screen's own, at which a window of the given
// client size fits the work area of the monitor the first window opens on, with its frame; returns that scale in pixels per inch. Called once at
// start, before any window is made.
int FitLayoutToScreen(int largestClientWidthTwips, int largestClientHeightTwips);

// A font of `points` (in tenths of a point, so 105 is 10.5 pt) at the screen's resolution.
HFONT CreatePointFont(const wchar_t* face, int tenthsOfPoint, bool bold, BYTE charset);

// Creates a child control tagged with its name (window property "CtlName" holding a global atom), so that
// test tools can find it from another process.
HWND CreateNamedControl(HWND parent, const wchar_t* windowClass, const char* name, int id, DWORD style,
                        std::string_view text, RECT twips, DWORD exStyle = 0);

template <typename Base>
class Win32ControlBase : public Base {
 public:
  explicit Win32ControlBase(HWND hwnd) : hwnd_(hwnd) {}
  void SetEnabled(bool enabled) override { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool Enabled() const override { return ::IsWindowEnabled(hwnd_) != FALSE; }
  // A control shown over another comes in front of it, so that it also takes the clicks there.
  void SetVisible(bool visible) override {
    ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    if (visible) ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  bool Visible() const override { return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  HWND Handle() const { return hwnd_; }

 protected:
  HWND hwnd_;
};

std::string WindowText(HWND hwnd);
void SetWindowTextUtf8(HWND hwnd, std::string_view text);

class Win32Label : public Win32ControlBase<platform::Label> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
};

class Win32ListBox : public Win32ControlBase<platform::ListBox> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override;
  std::string Item(int index) const override;
  int Selected() const override;
  void Select(int index) override;
};

class Win32ComboBox : public Win32ControlBase<platform::ComboBox> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override;
  std::string Item(int index) const override;
  int Selected() const override;
  void Select(int index) override;
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
};

class Win32CheckBox : public Win32ControlBase<platform::CheckBox> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
  void SetValue(platform::CheckValue value) override;
  platform::CheckValue Value() const override;
};

// Option buttons of one frame: selecting one from code clears the others, as a click does.
class Win32OptionButton : public Win32ControlBase<platform::OptionButton> {
 public:
  Win32OptionButton(HWND hwnd, std::vector<HWND>* group) : Win32ControlBase(hwnd), group_(group) {
    if (group_) group_->push_back(hwnd);
  }
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
  void SetSelected(bool selected) override;
  bool Selected() const override;

 private:
  std::vector<HWND>* group_;
};

class Win32RichText : public Win32ControlBase<platform::RichText> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
  void SetTextColor(uint32_t rgb) override;
};

// A plain multi-line edit control behind the rich text interface, for texts of millions of characters (a rich
// edit lays out long runs of digits in time that grows with the square of their length). Its colour comes from
// the parent, which answers WM_CTLCOLOREDIT through ColorEditText.
class Win32EditText : public Win32ControlBase<platform::RichText> {
 public:
  explicit Win32EditText(HWND hwnd);
  void SetText(std::string_view text) override { SetWindowTextUtf8(hwnd_, text); }
  std::string Text() const override { return WindowText(hwnd_); }
  void SetTextColor(uint32_t rgb) override;
};

// Whether the user runs a high-contrast theme: then the windows draw in the system's colours.
bool HighContrastTheme();

// For a parent's WM_CTLCOLOREDIT: colours `edit` as its Win32EditText asked; nullptr when it asked nothing.
HBRUSH ColorEditText(HWND edit, HDC dc);

class Win32ProgressBar : public Win32ControlBase<platform::ProgressBar> {
 public:
  using Win32ControlBase::Win32ControlBase;
  void SetRange(int minimum, int maximum) override;
  void SetPosition(int position) override;
  int Position() const override;
  int Maximum() const override;
};

class Win32Window : public platform::Window {
 public:
  explicit Win32Window(HWND hwnd) : hwnd_(hwnd) {}
  void SetCaption(std::string_view caption) override { SetWindowTextUtf8(hwnd_, caption); }
  std::string Caption() const override { return WindowText(hwnd_); }
  void SetEnabled(bool enabled) override { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool Enabled() const override { return ::IsWindowEnabled(hwnd_) != FALSE; }
  void Repaint() override { ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
  void Close() override { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }
  void SetTopmost() override {
    ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }

 private:
  HWND hwnd_;
};

// Captions of the named child controls of one window.
class Win32Captions : public platform::Captions {
 public:
  explicit Win32Captions(HWND window) : window_(window) {}
  void SetCaption(std::string_view controlName, std::string_view text) override;
  std::string Caption(std::string_view controlName) const override;

 private:
  HWND Find(std::string_view controlName) const;
  HWND window_;
};

// The name a control was created with ("" when it has none).
std::string ControlName(HWND control);

// A window timer identified by its window and id; its WM_TIMER goes to that window.
class Win32Timer : public platform::Timer {
 public:
  Win32Timer(HWND hwnd, UINT_PTR id) : hwnd_(hwnd), id_(id) {}
  ~Win32Timer() override { ::KillTimer(hwnd_, id_); }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;
  void SetInterval(uint32_t milliseconds) override;
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  UINT_PTR Id() const { return id_; }

 private:
  void Apply();
  HWND hwnd_;
  UINT_PTR id_;
  uint32_t interval_ = 0;
  bool enabled_ = false;
};

}  // namespace win32
