#pragma once
#include <string>
#include <vector>

#include "platform/interfaces/shell_launcher.h"

namespace fakes {

class FakeShellLauncher : public platform::ShellLauncher {
 public:
  struct Start {
    std::string program, arguments, folder;
    platform::ShowState show;
    bool elevate;
  };
  bool startable = true;
  bool declined = false;  // the user says no to the request for administrator rights
  std::vector<Start> starts;

  platform::ShellStartResult ShellStart(std::string_view program, std::string_view arguments, std::string_view folder,
                  platform::ShowState show, bool elevate) override {
    starts.push_back({std::string(program), std::string(arguments), std::string(folder), show, elevate});
    if (declined) return platform::ShellStartResult::Declined;
    return startable ? platform::ShellStartResult::Started : platform::ShellStartResult::Failed;
  }
};

}  // namespace fakes
