#pragma once
// Starting a program the way Explorer does, so that Windows can ask the user for administrator rights.
#include <string_view>

#include "platform/interfaces/process_launcher.h"

namespace platform {

enum class ShellStartResult {
  Started,
  Declined,  // the user said no to the request for administrator rights
  Failed,    // not found, or refused by the system
};

class ShellLauncher {
 public:
  virtual ~ShellLauncher() = default;
  // Starts `program` (a path, or a bare name searched in `folder` first) with `arguments`, without waiting.
  // `elevate` asks for administrator rights; a program whose manifest requires them is elevated either way.
  virtual ShellStartResult ShellStart(std::string_view program, std::string_view arguments, std::string_view folder,
                                      ShowState show, bool elevate) = 0;
};

}  // namespace platform
