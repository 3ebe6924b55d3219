#pragma once
// Ctrl-C, SIGTERM and SIGHUP (a dropped SSH session) noted instead of ending the program, from the moment the shield
// is raised until it is destroyed (the end of main).
#include <signal.h>

#include <array>
#include <mutex>

#include "cli/ctl_context.h"

namespace quorvelctl_linux {

class PosixSignalShield : public ctl::SignalShield {
 public:
  PosixSignalShield() = default;
  ~PosixSignalShield() override;
  PosixSignalShield(const PosixSignalShield&) = delete;
  PosixSignalShield& operator=(const PosixSignalShield&) = delete;

  void Raise() override;
  bool Requested() const override;

 private:
  std::once_flag raised_;
  bool installed_ = false;
  std::array<struct sigaction, 3> previous_{};
};

}  // namespace quorvelctl_linux
