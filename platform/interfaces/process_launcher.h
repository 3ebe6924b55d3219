#pragma once
// Starting another program without waiting for it.
#include <string_view>

namespace platform {

// The window show states the programs use (the numbers Windows uses).
enum class ShowState : int { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3 };

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts `commandLine` (UTF-8) with the given show state; returns false when it could not be started.
  virtual bool Start(std::string_view commandLine, ShowState show) = 0;
};

}  // namespace platform
