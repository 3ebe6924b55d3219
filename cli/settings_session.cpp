#include "cli/settings_session.h"

#include <algorithm>

#include "cli/frame_exchange.h"
#include "cli/frame_report.h"
#include "config_tool/params/shown_settings.h"

namespace ctl {

namespace {

bool Asked(const StopCheck& stopped) { return stopped && stopped(); }

}  // namespace

HoldEnd HoldFor(platform::PrinterConnection& connection, std::chrono::milliseconds time, const Pause& pause,
                const StopCheck& stopped) {
  for (std::chrono::milliseconds waited{0}; waited < time;) {
    if (Asked(stopped)) return HoldEnd::Stopped;
    if (connection.Unplugged()) return HoldEnd::Unplugged;
    const auto step = std::min(kHoldCheck, time - waited);
    pause(step);
    waited += step;
  }
  return Asked(stopped) ? HoldEnd::Stopped : HoldEnd::Waited;
}

Opened OpenPrinter(platform::PrinterDevices& devices, const std::string& device, HostSystem host,
                   std::chrono::milliseconds wait, const Pause& pause, const StopCheck& stopped) {
  Opened opened;
  platform::OpenFailure failure;
  std::chrono::milliseconds waited{0};
  for (;;) {
    opened.connection = devices.Open(device, failure);
    if (opened.connection || failure.kind != platform::OpenFailure::Busy || waited >= wait || !pause) break;
    // Another program holds the printer: look again shortly, until the time given is used up.
    const auto step = std::min(kBusyRetry, wait - waited);
    pause(step);
    waited += step;
    if (Asked(stopped)) {
      opened.code = kStopped;
      opened.error = device + ": stopped by a signal while waiting for the printer; nothing was sent";
      return opened;
    }
  }
  if (!opened.connection) {
    opened.code = failure.kind == platform::OpenFailure::NotFound     ? kNoSuchPrinter
                  : failure.kind == platform::OpenFailure::NotADevice ? kUsage
                                                                      : kDeviceFailed;
    opened.error = OpenFailureText(device, failure, host, waited);
  }
  return opened;
}

SetOutcome SetPrinterSettings(platform::PrinterDevices& devices, const std::string& device, const SetRequest& request,
                              const Pause& pause, HostSystem host) {
  SetOutcome outcome;
  outcome.device = device;
  auto fail = [&](ExitCode code, std::string result) {
    outcome.code = code;
    outcome.result = std::move(result);
    return outcome;
  };

  Opened opened = OpenPrinter(devices, device, host, request.wait, pause, request.stopped);
  if (!opened.connection) return fail(opened.code, opened.error);
  const FrameRead before = ReadParameterFrame(*opened.connection, request.timeout, request.stopped);
  if (before.outcome == FrameRead::Stopped) {
    return fail(kStopped, device + ": stopped by a signal before the settings were read; nothing written");
  }
  if (before.outcome == FrameRead::Unplugged) {
    return fail(kDeviceFailed, device + ": the printer was unplugged before its settings were read; nothing written");
  }
  if (!before.frame) return fail(kDeviceFailed, FrameReadProblem(before, device, request.timeout) + "; nothing written");
  if (!request.profileModel.empty() && !request.force) {
    const std::string model = ReportedModel(*before.frame);
    if (!model.empty() && model != request.profileModel) {
      return fail(kUsage, device + ": the profile was saved from a " + request.profileModel + ", but this printer is a " +
                              model + "; nothing written (--force applies it all the same)");
    }
  }

  // What the main window would show after reading this printer, with the named settings changed by hand.
  const quorvel::PrinterSettings wanted = Applied(
      quorvel::SettingsShownAfter(quorvel::SettingsAtWindowLoad(), quorvel::SettingsOf(*before.frame)), request.change);
  outcome.batch = quorvel::SettingsBatch(wanted);
  if (request.dryRun) {
    outcome.result = device + ": would write " + std::to_string(outcome.batch.size()) + " bytes; nothing written";
    return outcome;
  }
  if (Asked(request.stopped)) {
    return fail(kStopped, device + ": stopped by a signal after the settings were read; nothing written");
  }
  if (!opened.connection->Write(quorvel::ToBytes(outcome.batch))) {
    return fail(kDeviceFailed, device + (opened.connection->Unplugged()
                                             ? ": the printer was unplugged while the settings were written; it may "
                                               "hold part of them"
                                             : ": writing the settings failed; the printer may hold part of them"));
  }
  const std::string notReadBack =
      device + ": stopped by a signal: settings written, not read back: run `quorvelctl read` to check";
  // The printer applies the settings on its own time. We keep holding it meanwhile, so that no other program
  // reads the old settings, writes them back, or takes the printer from under our read-back.
  const std::string unpluggedAfterWrite = device + ": the printer was unplugged: settings written, not read back";
  switch (HoldFor(*opened.connection, request.settle, pause, request.stopped)) {
    case HoldEnd::Stopped:
      if (request.verify) return fail(kStopped, notReadBack);
      break;
    case HoldEnd::Unplugged:
      if (request.verify) return fail(kDeviceFailed, unpluggedAfterWrite);
      break;
    case HoldEnd::Waited:
      break;
  }
  if (!request.verify) {
    outcome.result = device + ": settings written (not read back)";
    return outcome;
  }

  const FrameRead after = ReadParameterFrame(*opened.connection, request.timeout, request.stopped);
  if (after.outcome == FrameRead::Stopped) return fail(kStopped, notReadBack);
  if (after.outcome == FrameRead::Unplugged) return fail(kDeviceFailed, unpluggedAfterWrite);
  if (!after.frame) {
    return fail(kDeviceFailed, "settings written, but the read-back failed: " +
                                   FrameReadProblem(after, device, request.timeout));
  }
  outcome.differences = ReadBackDifferences(wanted, quorvel::SettingsOf(*after.frame));
  if (!outcome.differences.empty()) {
    std::string list;
    for (const std::string& difference : outcome.differences) list += (list.empty() ? "" : "; ") + difference;
    return fail(kReadBackDiffers, device + ": settings written, but read back different: " + list);
  }
  outcome.result = device + ": settings written and read back";
  return outcome;
}

}  // namespace ctl
