#include "config_tool/main_window/main_window.h"

namespace quorvel {

void MainWindow::Load() { controls_.window.SetCaption(kMainWindowCaption); }

}  // namespace quorvel
