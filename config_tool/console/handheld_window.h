#pragma once
// The handheld printer settings window (Form5): it shows its controls and does nothing of its own.
#include <string_view>

#include "platform/interfaces/controls.h"

namespace quorvel {

inline constexpr std::string_view kHandheldCaption = "蓝牙打印机参数设置";

struct HandheldControls {
  platform::Window& window;
  platform::Captions& captions;  // its frames and the factory-reset button
};

class HandheldWindow {
 public:
  explicit HandheldWindow(const HandheldControls& controls) : controls_(controls) {}
  void Load();
  // "回复出厂设置" has no action.
  void OnFactoryResetClick() {}

 private:
  HandheldControls controls_;
};

}  // namespace quorvel
