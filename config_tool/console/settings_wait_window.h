#pragma once
// The wait window after a settings write: about 15 s of progress, then the main window back and one read-back.
#include <cstdint>

#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/skin_engine.h"
#include "platform/interfaces/timer.h"

namespace quorvel {

inline constexpr int kWaitTicks = 150;

struct SettingsWaitControls {
  platform::Window& window;
  platform::ProgressBar& progressBar1;
  platform::Timer& timer1;
};

// What the wait window gives back when it ends.
struct SettingsWaitTargets {
  platform::Window& mainWindow;
  platform::Timer& mainTimer3;
  ProcessState& process;
};

class SettingsWaitWindow {
 public:
  SettingsWaitWindow(const SettingsWaitControls& controls, const SettingsWaitTargets& targets,
                     platform::SkinEngine& skin)
      : controls_(controls), targets_(targets), skin_(skin) {}

  void Load();
  void OnTimer1Tick();
  int Ticks() const { return ticks_; }

 private:
  SettingsWaitControls controls_;
  SettingsWaitTargets targets_;
  platform::SkinEngine& skin_;
  int16_t ticks_ = 0;
};

}  // namespace quorvel
