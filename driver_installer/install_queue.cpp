#include "driver_installer/install_queue.h"

#include <algorithm>

namespace omblet {

void InstallQueue::Add(std::string printerName, std::string program, std::string commandLine) {
  installs_.push_back({std::move(printerName), std::move(commandLine), {}, false});
  programs_.push_back(std::move(program));
}

std::vector<std::string> InstallQueue::Advance(platform::ProcessLauncher& launcher) {
  std::vector<std::string> notStarted;
  for (size_t i = 0; i < installs_.size(); ++i) {
    PendingInstall& install = installs_[i];
    if (install.attempted) {
      if (!install.process.HasEnded()) break;
      continue;
    }
    install.attempted = true;
    install.process = launcher.Start(programs_[i], install.commandLine, platform::ShowState::Minimized);
    if (install.process) break;
    notStarted.push_back(install.printerName);
  }
  return notStarted;
}

bool InstallQueue::AllEnded() const {
  return std::all_of(installs_.begin(), installs_.end(), [](const PendingInstall& install) {
    return install.attempted && install.process.HasEnded();
  });
}

}  // namespace omblet
