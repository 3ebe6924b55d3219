#pragma once
// The printer installs of one run, started one after the other: both stage the same driver package, and two
// printui processes working on it at once can spoil each other's install.
#include <string>
#include <vector>

#include "platform/interfaces/process_launcher.h"

namespace omblet {

// One printer install that was asked for, and the program that does it.
struct PendingInstall {
  std::string printerName;
  std::string commandLine;
  platform::StartedProcess process;  // empty until started, and when the start failed
  bool attempted = false;            // its start has been tried
};

class InstallQueue {
 public:
  // `program` is the full path of the file that runs each command line.
  void Add(std::string printerName, std::string program, std::string commandLine);

  // Starts the next install once the one before it has ended (at once when nothing runs). Returns the names of
  // the installs that could not be started; the one after such an install is started straight away.
  std::vector<std::string> Advance(platform::ProcessLauncher& launcher);

  // Every install has been started, or tried, and has ended.
  bool AllEnded() const;

  const std::vector<PendingInstall>& Installs() const { return installs_; }

 private:
  std::vector<PendingInstall> installs_;
  std::vector<std::string> programs_;
};

}  // namespace omblet
