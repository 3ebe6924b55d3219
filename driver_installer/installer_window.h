#pragma once
// The driver installer window's behaviour, written against the control interfaces.
#include <string_view>

#include "platform/interfaces/controls.h"

namespace omblet {

inline constexpr std::string_view kInstallerCaption = "OmbletV300.19(20180607)";

struct InstallerControls {
  platform::Window& window;
};

class InstallerWindow {
 public:
  explicit InstallerWindow(InstallerControls controls) : controls_(controls) {}

  void Load();

 private:
  InstallerControls controls_;
};

}  // namespace omblet
