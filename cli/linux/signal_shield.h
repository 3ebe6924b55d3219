#pragma once
// Ctrl-C, SIGTERM and SIGHUP (a dropped SSH session) noted instead of ending the program, while one of these lives.
#include <signal.h>

#include <array>

#include "cli/ctl_context.h"

namespace quorvelctl_linux {

class PosixSignalShield : public ctl::SignalShield {
 public:
  PosixSignalShield();
  ~PosixSignalShield() override;
  PosixSignalShield(const PosixSignalShield&) = delete;
  PosixSignalShield& operator=(const PosixSignalShield&) = delete;

  bool Requested() const override;

 private:
  std::array<struct sigaction, 3> previous_{};
};

}  // namespace quorvelctl_linux
