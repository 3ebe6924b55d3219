#include "config_tool/console/settings_wait_window.h"

namespace quorvel {

void SettingsWaitWindow::Load() {
  skin_.SetAero(1);
  controls_.progressBar1.SetRange(0, kWaitTicks);
  ticks_ = 1;
  controls_.timer1.SetInterval(5);
  controls_.timer1.SetEnabled(true);
  controls_.window.SetTopmost();
}

void SettingsWaitWindow::OnTimer1Tick() {
  ++ticks_;
  if (ticks_ < kWaitTicks) {
    controls_.timer1.SetInterval(100);
    controls_.progressBar1.SetPosition(ticks_);
    return;
  }
  controls_.timer1.SetEnabled(false);
  targets_.mainWindow.SetEnabled(true);
  targets_.mainTimer3.SetInterval(3000);
  targets_.process.paramsReadDone = 0;  // the next automatic-read tick reads the new settings back
  controls_.window.Close();
}

}  // namespace quorvel
