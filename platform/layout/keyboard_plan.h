#pragma once
// How a window is used from the keyboard and read by a screen reader: the order Tab visits its controls in, which
// of them are tab stops, where each group of options begins, and the name each unlabelled box is read by.
// Windows visit the controls of a window in the order of their z-order, and a screen reader names a box by the
// static label right before it in that order; so the plan is one z-order, labels included.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform {

enum class ControlRole { Frame, Label, PushButton, CheckBox, OptionButton, Edit, MultiLineText, List, Combo, Other };

struct PlaceRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int CentreX() const { return (left + right) / 2; }
  int CentreY() const { return (top + bottom) / 2; }
};

struct PlacedControl {
  std::string name;  // its tag; unique within the window
  PlaceRect box;     // in the window's client area
  ControlRole role = ControlRole::Other;
  bool visible = true;
  std::string text;  // its caption (frames, labels, buttons)
  bool selected = false;  // an option button that is chosen
  // Shown over other controls (a list that takes a box's place): while it shows, what lies under its box is covered.
  bool overlay = false;
};

struct KeyboardEntry {
  std::string name;
  bool tabStop = false;
  bool groupStart = false;  // arrow keys move within a group; a group runs to the next start
  // Set for a box that has no label of its own right before it: the text of the hidden label that goes right
  // before it, for the screen reader.
  std::string spokenName;
};

struct KeyboardPlan {
  std::vector<KeyboardEntry> order;  // the z-order, from the top
  std::string firstTabStop;          // "" when the window has none
};

// What Enter does where the focus is.
enum class EnterAction {
  PressFocused,     // a push button
  DoubleClick,      // a list that acts on a double click
  PressDefault,     // everything else: the window's default button, if it has one
};

inline EnterAction EnterActionFor(ControlRole focused) {
  switch (focused) {
    case ControlRole::PushButton: return EnterAction::PressFocused;
    case ControlRole::List: return EnterAction::DoubleClick;
    default: return EnterAction::PressDefault;
  }
}

namespace keyboard_detail {

inline bool TakesFocus(ControlRole role) {
  return role != ControlRole::Frame && role != ControlRole::Label && role != ControlRole::Other;
}

inline bool NeedsName(ControlRole role) {
  return role == ControlRole::Edit || role == ControlRole::MultiLineText || role == ControlRole::List ||
         role == ControlRole::Combo;
}

inline bool Contains(const PlaceRect& outer, int x, int y) {
  return x >= outer.left && x < outer.right && y >= outer.top && y < outer.bottom;
}

// One thing to place in reading order: a frame with what lies in it, or a control on its own.
struct Block {
  PlaceRect box;
  std::vector<size_t> members;  // controls, the frame itself first
  std::vector<Block> inner;     // for a frame: its members placed one by one
};

// Reading order by cuts: rows that no block straddles, top to bottom; in each row, columns that no block straddles,
// left to right; and so on inside. Blocks that overlap both ways fall back to top, then left.
inline void ReadingOrder(std::vector<Block>& blocks, bool rowsFirst = true, bool otherWayTried = false) {
  if (blocks.size() < 2) return;
  auto lowOf = [&](const Block& b) { return rowsFirst ? b.box.top : b.box.left; };
  auto highOf = [&](const Block& b) { return rowsFirst ? b.box.bottom : b.box.right; };
  std::stable_sort(blocks.begin(), blocks.end(), [&](const Block& a, const Block& b) { return lowOf(a) < lowOf(b); });
  std::vector<std::vector<Block>> bands;
  int reach = 0;
  for (Block& block : blocks) {
    // A touch of a few units is not an overlap: the layouts butt some controls against each other.
    if (bands.empty() || lowOf(block) >= reach - 2) {
      bands.emplace_back();
      reach = highOf(block);
    } else {
      reach = std::max(reach, highOf(block));
    }
    bands.back().push_back(std::move(block));
  }
  blocks.clear();
  if (bands.size() == 1) {
    blocks = std::move(bands[0]);
    if (!otherWayTried) {
      ReadingOrder(blocks, !rowsFirst, true);
    } else {
      std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) {
        return a.box.top != b.box.top ? a.box.top < b.box.top : a.box.left < b.box.left;
      });
    }
    return;
  }
  for (auto& band : bands) {
    ReadingOrder(band, !rowsFirst, false);
    for (Block& block : band) blocks.push_back(std::move(block));
  }
}

inline void Flatten(const std::vector<Block>& blocks, std::vector<size_t>& out) {
  for (const Block& block : blocks) {
    if (!block.members.empty()) out.push_back(block.members.front());
    Flatten(block.inner, out);
  }
}

}  // namespace keyboard_detail

// The plan for a window whose client area is `client`. A control is a tab stop when it takes focus, is visible and
// its centre lies in the client area (a control at the bottom edge, out of sight, is not). An edit, combo box or
// list is named by the label on its left in the same row of its frame, with the frame's caption before it; without
// a label, by the frame's caption; without a frame, by `explicitNames` (by control name).
inline KeyboardPlan PlanKeyboard(const std::vector<PlacedControl>& controls, PlaceRect client,
                                 const std::map<std::string, std::string>& explicitNames = {}) {
  using namespace keyboard_detail;
  const size_t none = controls.size();
  // Each control's frame: the smallest frame its centre lies in.
  std::vector<size_t> frameOf(controls.size(), none);
  auto area = [](const PlaceRect& r) { return static_cast<long long>(r.right - r.left) * (r.bottom - r.top); };
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t f = 0; f < controls.size(); ++f) {
      if (f == i || controls[f].role != ControlRole::Frame) continue;
      if (!Contains(controls[f].box, controls[i].box.CentreX(), controls[i].box.CentreY())) continue;
      if (area(controls[f].box) <= area(controls[i].box)) continue;
      if (frameOf[i] == none || area(controls[f].box) < area(controls[frameOf[i]].box)) frameOf[i] = f;
    }
  }
  // Blocks, built from the outermost frames inwards.
  std::function<std::vector<Block>(size_t)> blocksIn = [&](size_t parent) {
    std::vector<Block> blocks;
    for (size_t i = 0; i < controls.size(); ++i) {
      if (frameOf[i] != parent) continue;
      Block block{controls[i].box, {i}, {}};
      if (controls[i].role == ControlRole::Frame) {
        block.inner = blocksIn(i);
        ReadingOrder(block.inner);
      }
      blocks.push_back(std::move(block));
    }
    return blocks;
  };
  std::vector<Block> top = blocksIn(none);
  ReadingOrder(top);
  std::vector<size_t> order;
  Flatten(top, order);
  // A shown overlay covers the controls whose centre lies in its box: it goes right before the first of them, so
  // that it is drawn over them, and they are no tab stops.
  std::vector<bool> covered(controls.size(), false);
  for (size_t o = 0; o < controls.size(); ++o) {
    if (!controls[o].overlay || !controls[o].visible) continue;
    size_t firstCovered = order.size();
    for (size_t at = 0; at < order.size(); ++at) {
      const size_t i = order[at];
      if (i == o || controls[i].overlay || !Contains(controls[o].box, controls[i].box.CentreX(),
                                                     controls[i].box.CentreY())) {
        continue;
      }
      covered[i] = true;
      firstCovered = std::min(firstCovered, at);
    }
    auto overlayAt = std::find(order.begin(), order.end(), o);
    if (firstCovered < static_cast<size_t>(overlayAt - order.begin())) {
      order.erase(overlayAt);
      order.insert(order.begin() + static_cast<std::ptrdiff_t>(firstCovered), o);
    }
  }

  KeyboardPlan plan;
  size_t previous = none;
  size_t previousFrame = none - 1;  // differs from every frame and from "none"
  ControlRole previousRole = ControlRole::Other;
  for (size_t index : order) {
    const PlacedControl& control = controls[index];
    KeyboardEntry entry{control.name, false, false, {}};
    const bool inSight = control.visible && Contains(client, control.box.CentreX(), control.box.CentreY());
    entry.tabStop = TakesFocus(control.role) && inSight && !covered[index];
    if (TakesFocus(control.role)) {
      // Options of one frame form one group; every other control is a group of its own.
      const bool continuesOptions = control.role == ControlRole::OptionButton &&
                                    previousRole == ControlRole::OptionButton && frameOf[index] == previousFrame;
      entry.groupStart = !continuesOptions;
      previousRole = control.role;
      previousFrame = frameOf[index];
    } else if (control.role == ControlRole::Frame) {
      entry.groupStart = true;
      previousRole = ControlRole::Frame;
    }
    if (NeedsName(control.role)) {
      std::string label;
      if (previous != none && controls[previous].role == ControlRole::Label && frameOf[previous] == frameOf[index] &&
          controls[previous].box.right <= control.box.CentreX() &&
          controls[previous].box.bottom > control.box.top && controls[previous].box.top < control.box.bottom) {
        label = controls[previous].text;
      }
      std::string frameCaption = frameOf[index] != none ? controls[frameOf[index]].text : std::string();
      std::string spoken;
      if (!frameCaption.empty() && !label.empty()) {
        spoken = frameCaption + " " + label;
      } else if (!frameCaption.empty()) {
        spoken = frameCaption;
      } else if (label.empty()) {
        auto named = explicitNames.find(control.name);
        if (named != explicitNames.end()) spoken = named->second;
      }
      entry.spokenName = spoken;
    }
    plan.order.push_back(std::move(entry));
    previous = index;
  }
  // A group of options is one tab stop: the chosen option, or the first when none is; the arrows move within it.
  for (size_t start = 0; start < order.size(); ++start) {
    if (controls[order[start]].role != ControlRole::OptionButton || !plan.order[start].groupStart) continue;
    size_t end = start + 1;
    while (end < order.size() && !plan.order[end].groupStart) ++end;
    size_t keep = order.size();
    for (size_t i = start; i < end; ++i) {
      if (!plan.order[i].tabStop || controls[order[i]].role != ControlRole::OptionButton) continue;
      if (keep == order.size() || (controls[order[i]].selected && !controls[order[keep]].selected)) keep = i;
    }
    for (size_t i = start; i < end; ++i) {
      if (controls[order[i]].role == ControlRole::OptionButton) plan.order[i].tabStop = i == keep;
    }
  }
  for (const KeyboardEntry& entry : plan.order) {
    if (entry.tabStop) {
      plan.firstTabStop = entry.name;
      break;
    }
  }
  return plan;
}

}  // namespace platform
