#pragma once
// In-memory controls and windows: they hold what a real control would show, for tests to read and set.
#include <map>
#include <vector>

#include "platform/interfaces/controls.h"
#include "platform/interfaces/timer.h"

namespace fakes {

template <typename Base>
class FakeControlBase : public Base {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }

 private:
  bool enabled_ = true;
  bool visible_ = true;
};

template <typename Base>
class FakeCaptioned : public FakeControlBase<Base> {
 public:
  void SetText(std::string_view text) override { text_ = std::string(text); }
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

using FakeLabel = FakeCaptioned<platform::Label>;

template <typename Base>
class FakeListBase : public FakeControlBase<Base> {
 public:
  void Clear() override {
    items.clear();
    selected_ = platform::kNoSelection;
  }
  void Add(std::string_view item) override { items.emplace_back(item); }
  int Count() const override { return static_cast<int>(items.size()); }
  std::string Item(int index) const override {
    return index >= 0 && index < Count() ? items[static_cast<size_t>(index)] : std::string();
  }
  int Selected() const override { return selected_; }
  // Like the real controls: an index outside the list clears the selection.
  void Select(int index) override { selected_ = index >= 0 && index < Count() ? index : platform::kNoSelection; }

  std::vector<std::string> items;

 private:
  int selected_ = platform::kNoSelection;
};

using FakeListBox = FakeListBase<platform::ListBox>;

class FakeComboBox : public FakeListBase<platform::ComboBox> {
 public:
  void SetText(std::string_view text) override { text_ = std::string(text); }
  std::string Text() const override { return Selected() == platform::kNoSelection ? text_ : Item(Selected()); }
  // Emptying a drop-down list empties what it shows, too.
  void Clear() override {
    FakeListBase::Clear();
    text_.clear();
  }
  void Select(int index) override {
    FakeListBase::Select(index);
    if (Selected() != platform::kNoSelection) text_ = Item(Selected());
  }

 private:
  std::string text_;
};

class FakeCheckBox : public FakeCaptioned<platform::CheckBox> {
 public:
  void SetValue(platform::CheckValue value) override { value_ = value; }
  platform::CheckValue Value() const override { return value_; }

 private:
  platform::CheckValue value_ = platform::CheckValue::Unchecked;
};

// Option buttons of one frame share a group, so selecting one clears the others.
class FakeOptionButton : public FakeCaptioned<platform::OptionButton> {
 public:
  explicit FakeOptionButton(std::vector<FakeOptionButton*>* group = nullptr) : group_(group) {
    if (group_) group_->push_back(this);
  }
  void SetSelected(bool selected) override {
    if (selected && group_) {
      for (FakeOptionButton* other : *group_) other->selected_ = false;
    }
    selected_ = selected;
  }
  bool Selected() const override { return selected_; }

 private:
  std::vector<FakeOptionButton*>* group_;
  bool selected_ = false;
};

class FakeRichText : public FakeControlBase<platform::RichText> {
 public:
  void SetText(std::string_view text) override { text_ = std::string(text); }
  std::string Text() const override { return text_; }
  void SetTextColor(uint32_t rgb) override { color = rgb; }
  uint32_t color = 0;

 private:
  std::string text_;
};

class FakeProgressBar : public FakeControlBase<platform::ProgressBar> {
 public:
  void SetRange(int minimum, int maximum) override {
    min = minimum;
    max = maximum;
  }
  void SetPosition(int position) override { pos = position; }
  int Position() const override { return pos; }
  int Maximum() const override { return max; }
  int min = 0, max = 100, pos = 0;
};

class FakeWindow : public platform::Window {
 public:
  void SetCaption(std::string_view caption) override { caption_ = std::string(caption); }
  std::string Caption() const override { return caption_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void Repaint() override { ++repaints; }
  void Close() override { closed = true; }
  void SetTopmost() override { topmost = true; }
  int repaints = 0;
  bool closed = false;
  bool topmost = false;

 private:
  std::string caption_;
  bool enabled_ = true;
};

class FakeCaptions : public platform::Captions {
 public:
  void SetCaption(std::string_view controlName, std::string_view text) override {
    captions[std::string(controlName)] = std::string(text);
  }
  std::string Caption(std::string_view controlName) const override {
    auto it = captions.find(std::string(controlName));
    return it == captions.end() ? std::string() : it->second;
  }
  std::map<std::string, std::string> captions;
};

class FakeTimer : public platform::Timer {
 public:
  void SetInterval(uint32_t milliseconds) override { interval_ = milliseconds; }
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  bool Running() const { return enabled_ && interval_ > 0; }

 private:
  uint32_t interval_ = 0;
  bool enabled_ = false;
};

}  // namespace fakes
