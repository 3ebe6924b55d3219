#include "cli/linux/signal_shield.h"

namespace quorvelctl_linux {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t requested = 0;

void Note(int) { requested = 1; }

}  // namespace

void PosixSignalShield::Raise() {
  // Several printers may be opened at once (--all), each from its own thread: the handlers go in once.
  std::call_once(raised_, [this] {
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previous_[i]);
    installed_ = true;
  });
}

PosixSignalShield::~PosixSignalShield() {
  if (!installed_) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool PosixSignalShield::Requested() const { return requested != 0; }

}  // namespace quorvelctl_linux
