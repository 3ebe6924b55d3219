#include "config_tool/console/launcher_window.h"

namespace quorvel {

void LauncherWindow::Load() {
  controls_.window.SetCaption(kLauncherCaption);
  controls_.captions.SetCaption("Frame1", "语言（Language）");
  controls_.captions.SetCaption("Command1", "进入面单打印机（Computer printer）");
  controls_.captions.SetCaption("Command2", "进入手持设备（Pocket printer）");
  controls_.option2.SetText("English");
  controls_.option1.SetText("中文");
  // Most users read Chinese; the choice is always visible and one click changes it.
  controls_.option1.SetSelected(true);
  skins_.Start(DressedWindow::Launcher);
}

void LauncherWindow::Leave() {
  process_.language = controls_.option1.Selected() ? 1 : 0;
  controls_.window.Close();
}

void LauncherWindow::OnCommand1Click() {
  Leave();
  host_.OpenMainWindow();
}

void LauncherWindow::OnCommand2Click() {
  Leave();
  host_.OpenHandheldWindow();
}

}  // namespace quorvel
