#include "cli/parallel_runs.h"

#include <algorithm>
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
      outcomes[i].device = devices[i];
      outcomes[i].code = kDeviceFailed;
      outcomes[i].end = SetEnd::DeviceFailed;
      outcomes[i].result = devices[i] + ": " + error.what();
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
  // 1 promises that nothing was written: a printer refused as no printer's device, in a run that wrote to others,
  // counts as no printer at that path.
  const bool anyWritten = std::any_of(outcomes.begin(), outcomes.end(), [](const SetOutcome& o) { return o.written; });
  for (const SetOutcome& outcome : outcomes) {
    if (outcome.code == kUsage && anyWritten) return kNoSuchPrinter;
    if (outcome.code != kDone) return outcome.code;
  }
  return kDone;
}

}  // namespace ctl
