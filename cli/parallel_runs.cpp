#include "cli/parallel_runs.h"

#include <exception>
#include <thread>

namespace ctl {

std::vector<SetOutcome> RunForEach(const std::vector<std::string>& devices,
                                   const std::function<SetOutcome(const std::string&)>& work) {
  std::vector<SetOutcome> outcomes(devices.size());
  auto runOne = [&](size_t i) {
    try {
      outcomes[i] = work(devices[i]);
    } catch (const std::exception& error) {
      outcomes[i] = SetOutcome{devices[i], kDeviceFailed, devices[i] + ": " + error.what(), "", {}};
    }
  };
  if (devices.size() == 1) {
    runOne(0);
    return outcomes;
  }
  {
    std::vector<std::jthread> threads;
    threads.reserve(devices.size());
    for (size_t i = 0; i < devices.size(); ++i) threads.emplace_back(runOne, i);
  }  // every thread joined here
  return outcomes;
}

ExitCode FirstFailure(const std::vector<SetOutcome>& outcomes) {
  for (const SetOutcome& outcome : outcomes) {
    if (outcome.code != kDone) return outcome.code;
  }
  return kDone;
}

}  // namespace ctl
