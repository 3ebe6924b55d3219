#pragma once
#include "platform/interfaces/shell_launcher.h"

namespace win32 {

class Win32ShellLauncher : public platform::ShellLauncher {
 public:
  platform::ShellStartResult ShellStart(std::string_view program, std::string_view arguments,
                                        std::string_view folder, platform::ShowState show, bool elevate) override;
};

}  // namespace win32
