#include "platform/layout/keyboard_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using platform::ControlRole;
using platform::PlacedControl;

PlacedControl At(std::string name, ControlRole role, int left, int top, int width, int height,
                 std::string text = "") {
  return {std::move(name), {left, top, left + width, top + height}, role, true, std::move(text)};
}

std::vector<std::string> TabOrder(const platform::KeyboardPlan& plan) {
  std::vector<std::string> names;
  for (const auto& entry : plan.order) {
    if (entry.tabStop) names.push_back(entry.name);
  }
  return names;
}

const platform::KeyboardEntry& Entry(const platform::KeyboardPlan& plan, const std::string& name) {
  auto found = std::find_if(plan.order.begin(), plan.order.end(), [&](const auto& e) { return e.name == name; });
  EXPECT_NE(found, plan.order.end()) << name;
  return *found;
}

// Three columns of frames as the main window has them, created in an order that is not the reading order, with
// a frame at the bottom edge below the client area.
std::vector<PlacedControl> ColumnsWindow() {
  return {
      At("Frame6", ControlRole::Frame, 9000, 120, 5190, 9420, "调试信息"),
      At("Debug", ControlRole::MultiLineText, 9120, 400, 4950, 8560),
      At("Frame4", ControlRole::Frame, 120, 120, 3600, 4280, "PID 类型"),
      At("Models", ControlRole::List, 240, 400, 3360, 3880),
      At("Frame2", ControlRole::Frame, 3840, 120, 5040, 650, "传感器类型"),
      At("Option2", ControlRole::OptionButton, 5400, 380, 1300, 300, "b"),
      At("Option1", ControlRole::OptionButton, 3960, 380, 1300, 300, "a"),
      At("Frame14", ControlRole::Frame, 3840, 860, 5040, 650, "位置调整"),
      At("LabelY", ControlRole::Label, 3960, 1100, 300, 320, "Y"),
      At("ComboY", ControlRole::Combo, 4320, 1100, 2400, 320),
      At("Read", ControlRole::PushButton, 3840, 1700, 2460, 560, "读取"),
      At("Set", ControlRole::PushButton, 6420, 1700, 2460, 560, "设置"),
      At("Frame5", ControlRole::Frame, 120, 9960, 8700, 1200, "打印机枚举列表"),
      At("Hidden", ControlRole::List, 240, 10200, 8400, 900),
  };
}

TEST(KeyboardPlan, VisitsFramesColumnByColumnAndEachFrameTopToBottomThenLeftToRight) {
  auto plan = platform::PlanKeyboard(ColumnsWindow(), {0, 0, 14310, 9990});
  EXPECT_EQ(TabOrder(plan), (std::vector<std::string>{"Models", "Option1", "ComboY", "Read", "Set", "Debug"}));
  EXPECT_EQ(plan.firstTabStop, "Models");
}

TEST(KeyboardPlan, AGroupOfOptionsIsOneTabStopOnTheChosenOption) {
  auto controls = ColumnsWindow();
  controls[5].selected = true;  // Option2
  auto plan = platform::PlanKeyboard(controls, {0, 0, 14310, 9990});
  EXPECT_TRUE(Entry(plan, "Option2").tabStop);
  EXPECT_FALSE(Entry(plan, "Option1").tabStop);
}

TEST(KeyboardPlan, ControlsOutOfSightOrHiddenOrLabelsAreNoTabStops) {
  auto controls = ColumnsWindow();
  controls[1].visible = false;  // the debug view
  auto plan = platform::PlanKeyboard(controls, {0, 0, 14310, 9990});
  EXPECT_FALSE(Entry(plan, "Hidden").tabStop);  // below the client area
  EXPECT_FALSE(Entry(plan, "Debug").tabStop);
  EXPECT_FALSE(Entry(plan, "LabelY").tabStop);
  EXPECT_FALSE(Entry(plan, "Frame2").tabStop);
  // Everything stays in the z-order, each frame before what lies in it.
  EXPECT_EQ(plan.order.size(), controls.size());
  auto position = [&](const std::string& name) {
    return std::find_if(plan.order.begin(), plan.order.end(), [&](const auto& e) { return e.name == name; }) -
           plan.order.begin();
  };
  EXPECT_LT(position("Frame5"), position("Hidden"));
  EXPECT_LT(position("Frame14"), position("LabelY"));
  EXPECT_EQ(position("LabelY") + 1, position("ComboY"));  // the label right before the box it names
}

TEST(KeyboardPlan, AControlCoveredByAShownOverlayIsNoTabStopAndTheOverlayGoesRightBeforeIt) {
  // A send box with a list shown over it, created after it, and buttons below; a box beside the list stays.
  std::vector<PlacedControl> controls = {
      At("Send", ControlRole::MultiLineText, 100, 100, 4000, 3000),
      At("Beside", ControlRole::MultiLineText, 4200, 100, 2000, 3000),
      At("Commands", ControlRole::List, 100, 100, 4000, 3000),
      At("Clear", ControlRole::PushButton, 100, 3300, 1000, 400),
  };
  controls[2].overlay = true;
  auto plan = platform::PlanKeyboard(controls, {0, 0, 8000, 4000});
  EXPECT_EQ(TabOrder(plan), (std::vector<std::string>{"Commands", "Beside", "Clear"}));
  EXPECT_EQ(plan.order.size(), controls.size());
  EXPECT_EQ(plan.order[0].name, "Commands");  // in front of what it covers
  EXPECT_EQ(plan.order[1].name, "Send");
  controls[2].visible = false;  // the list hidden: the box is a tab stop again
  EXPECT_EQ(TabOrder(platform::PlanKeyboard(controls, {0, 0, 8000, 4000})),
            (std::vector<std::string>{"Send", "Beside", "Clear"}));
}

TEST(KeyboardPlan, OptionsOfOneFrameFormOneGroupAndEveryOtherControlIsAGroupOfItsOwn) {
  auto plan = platform::PlanKeyboard(ColumnsWindow(), {0, 0, 14310, 9990});
  EXPECT_TRUE(Entry(plan, "Option1").groupStart);
  EXPECT_FALSE(Entry(plan, "Option2").groupStart);
  EXPECT_TRUE(Entry(plan, "ComboY").groupStart);
  EXPECT_TRUE(Entry(plan, "Read").groupStart);
  EXPECT_TRUE(Entry(plan, "Set").groupStart);
}

TEST(KeyboardPlan, BoxesAreNamedByTheirLabelAndFrameOrByTheNameTheWindowGives) {
  auto controls = ColumnsWindow();
  controls.push_back(At("Loose", ControlRole::List, 240, 9600, 2000, 300));
  controls.push_back(At("Printer", ControlRole::Label, 3000, 9600, 700, 300, "打印机"));
  controls.push_back(At("PrinterBox", ControlRole::Combo, 3800, 9600, 2000, 300));
  auto plan = platform::PlanKeyboard(controls, {0, 0, 14310, 9990}, {{"Loose", "皮肤"}, {"PrinterBox", "x"}});
  EXPECT_EQ(Entry(plan, "ComboY").spokenName, "位置调整 Y");  // not just "Y"
  EXPECT_EQ(Entry(plan, "Models").spokenName, "PID 类型");
  EXPECT_EQ(Entry(plan, "Debug").spokenName, "调试信息");
  EXPECT_EQ(Entry(plan, "Loose").spokenName, "皮肤");
  EXPECT_EQ(Entry(plan, "PrinterBox").spokenName, "");  // its own label right before it names it
  EXPECT_EQ(Entry(plan, "Read").spokenName, "");        // buttons say their caption
}

TEST(KeyboardPlan, ALabelOfAnotherFrameOrRowDoesNotNameABox) {
  std::vector<PlacedControl> controls{
      At("Frame1", ControlRole::Frame, 0, 0, 1000, 500, "端口"),
      At("Port", ControlRole::Label, 100, 100, 800, 300, "USB001"),
      At("Skins", ControlRole::List, 0, 600, 1000, 500),
  };
  auto plan = platform::PlanKeyboard(controls, {0, 0, 2000, 2000}, {{"Skins", "皮肤"}});
  EXPECT_EQ(Entry(plan, "Skins").spokenName, "皮肤");
}

TEST(KeyboardPlan, ADialogWithChoicesOnTheLeftAndButtonsOnTheRightReadsRowByRow) {
  // The launcher: language frame beside the two entry buttons, the skin list below both.
  std::vector<PlacedControl> controls{
      At("List1", ControlRole::List, 240, 1860, 6240, 900),
      At("Command2", ControlRole::PushButton, 2880, 1020, 3600, 600, "2"),
      At("Command1", ControlRole::PushButton, 2880, 260, 3600, 600, "1"),
      At("Frame1", ControlRole::Frame, 240, 180, 2400, 1500, "语言"),
      At("Option1", ControlRole::OptionButton, 480, 1020, 1900, 360, "中文"),
      At("Option2", ControlRole::OptionButton, 480, 540, 1900, 360, "English"),
  };
  auto plan = platform::PlanKeyboard(controls, {0, 0, 6720, 2940});
  EXPECT_EQ(TabOrder(plan), (std::vector<std::string>{"Option2", "Command1", "Command2", "List1"}));
  std::vector<std::string> all;
  for (const auto& entry : plan.order) all.push_back(entry.name);
  EXPECT_EQ(all, (std::vector<std::string>{"Frame1", "Option2", "Option1", "Command1", "Command2", "List1"}));
}

TEST(KeyboardPlan, EnterPressesAFocusedButtonActsOnAListAndOtherwiseTakesTheDefault) {
  EXPECT_EQ(platform::EnterActionFor(ControlRole::PushButton), platform::EnterAction::PressFocused);
  EXPECT_EQ(platform::EnterActionFor(ControlRole::List), platform::EnterAction::DoubleClick);
  EXPECT_EQ(platform::EnterActionFor(ControlRole::Combo), platform::EnterAction::PressDefault);
  EXPECT_EQ(platform::EnterActionFor(ControlRole::CheckBox), platform::EnterAction::PressDefault);
}

}  // namespace
