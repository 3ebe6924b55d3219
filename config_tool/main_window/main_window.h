#pragma once
// The configuration window's behaviour, written against the control interfaces.
#include <string_view>

#include "platform/interfaces/controls.h"

namespace quorvel {

inline constexpr std::string_view kMainWindowCaption = "热敏打印机参数设置工具V1.0--2017-12-12";

struct MainWindowControls {
  platform::Window& window;
};

class MainWindow {
 public:
  explicit MainWindow(MainWindowControls controls) : controls_(controls) {}

  void Load();

 private:
  MainWindowControls controls_;
};

}  // namespace quorvel
