#include "cli/linux/signal_shield.h"

namespace quorvelctl_linux {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t requested = 0;

void Note(int) { requested = 1; }

}  // namespace

PosixSignalShield::PosixSignalShield() {
  requested = 0;
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

PosixSignalShield::~PosixSignalShield() {
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool PosixSignalShield::Requested() const { return requested != 0; }

}  // namespace quorvelctl_linux
