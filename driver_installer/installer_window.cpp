#include "driver_installer/installer_window.h"

namespace omblet {

void InstallerWindow::Load() { controls_.window.SetCaption(kInstallerCaption); }

}  // namespace omblet
