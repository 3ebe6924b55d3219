#pragma once
// The controls a window's logic reads and sets. Texts are UTF-8.
// Setting a value from code never raises the control's own event: logic that wants the effect of a user's
// change calls its handler itself.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Control {
 public:
  virtual ~Control() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
};

// Buttons, frames and labels: a caption and nothing else.
class Label : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
};

inline constexpr int kNoSelection = -1;

class ListBox : public Control {
 public:
  virtual void Clear() = 0;
  virtual void Add(std::string_view item) = 0;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual int Selected() const = 0;            // kNoSelection when none
  virtual void Select(int index) = 0;          // kNoSelection clears it
};

// A drop-down list; its text is the edit part (or the selected item's text).
class ComboBox : public ListBox {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
};

enum class CheckValue : int { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public Label {
 public:
  virtual void SetValue(CheckValue value) = 0;
  virtual CheckValue Value() const = 0;
};

// Option buttons in one frame exclude each other: selecting one clears the others.
class OptionButton : public Label {
 public:
  virtual void SetSelected(bool selected) = 0;
  virtual bool Selected() const = 0;
};

class RichText : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetTextColor(uint32_t rgb) = 0;  // 0xRRGGBB
};

class ProgressBar : public Control {
 public:
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  virtual int Position() const = 0;
  virtual int Maximum() const = 0;
};

// Captions of a window's fixed controls (frames, labels that never change, buttons), set by control name.
class Captions {
 public:
  virtual ~Captions() = default;
  virtual void SetCaption(std::string_view controlName, std::string_view text) = 0;
  virtual std::string Caption(std::string_view controlName) const = 0;
};

// A top-level window as its logic sees it.
class Window {
 public:
  virtual ~Window() = default;
  virtual void SetCaption(std::string_view caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void Repaint() = 0;
  virtual void Close() = 0;
  virtual void SetTopmost() = 0;  // in front of all other windows, position and size unchanged
};

}  // namespace platform
