#include "cli/settings_session.h"

#include <algorithm>

#include "cli/frame_exchange.h"
#include "cli/frame_report.h"
#include "config_tool/params/shown_settings.h"

namespace ctl {
namespace {

SetEnd EndOf(platform::OpenFailure::Kind failure) {
  switch (failure) {
    case platform::OpenFailure::Busy:
      return SetEnd::Busy;
    case platform::OpenFailure::NotFound:
      return SetEnd::NoPrinter;
    case platform::OpenFailure::NotADevice:
      return SetEnd::NotAPrinter;
    case platform::OpenFailure::AccessDenied:
    case platform::OpenFailure::Other:
      break;
  }
  return SetEnd::DeviceFailed;
}

SetEnd EndOf(const FrameRead& read) {
  switch (read.outcome) {
    case FrameRead::WriteFailed:
      return SetEnd::WriteFailed;
    case FrameRead::NoAnswer:
    case FrameRead::NotAFrame:
      return SetEnd::NoAnswer;
    case FrameRead::Unplugged:
      return SetEnd::Unplugged;
    case FrameRead::Stopped:
      return SetEnd::Stopped;
    case FrameRead::Received:
    case FrameRead::ReadFailed:
      break;
  }
  return SetEnd::DeviceFailed;
}

}  // namespace

const char* SetEndName(SetEnd end) {
  switch (end) {
    case SetEnd::Done:
      return "done";
    case SetEnd::Busy:
      return "busy";
    case SetEnd::NoPrinter:
      return "no_printer";
    case SetEnd::NotAPrinter:
      return "not_a_printer";
    case SetEnd::OtherModel:
      return "other_model";
    case SetEnd::NoAnswer:
      return "no_answer";
    case SetEnd::Unplugged:
      return "unplugged";
    case SetEnd::WriteFailed:
      return "write_failed";
    case SetEnd::ReadBackDiffers:
      return "readback_differs";
    case SetEnd::Stopped:
      return "stopped";
    case SetEnd::DeviceFailed:
      break;
  }
  return "device_failed";
}

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
    opened.failure = failure.kind;
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
  auto fail = [&](ExitCode code, SetEnd end, std::string result) {
    outcome.code = code;
    outcome.end = end;
    outcome.result = std::move(result);
    return outcome;
  };

  Opened opened = OpenPrinter(devices, device, host, request.wait, pause, request.stopped);
  if (!opened.connection) return fail(opened.code, EndOf(opened.failure), opened.error);
  const FrameRead before = ReadParameterFrame(*opened.connection, request.timeout, request.stopped);
  if (before.outcome == FrameRead::Stopped) {
    return fail(kStopped, SetEnd::Stopped,
                device + ": stopped by a signal before the settings were read; nothing written");
  }
  if (before.outcome == FrameRead::Unplugged) {
    return fail(kDeviceFailed, SetEnd::Unplugged,
                device + ": the printer was unplugged before its settings were read; nothing written");
  }
  if (!before.frame) {
    return fail(kDeviceFailed, EndOf(before), FrameReadProblem(before, device, request.timeout) + "; nothing written");
  }
  if (!request.profileModel.empty() && !request.force) {
    const std::string model = ReportedModel(*before.frame);
    if (!model.empty() && model != request.profileModel) {
      // A profile that does not fit this printer, as a bad profile is: nothing was written to it.
      return fail(kBadFile, SetEnd::OtherModel,
                  device + ": the profile was saved from a " + request.profileModel + ", but this printer is a " +
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
    return fail(kStopped, SetEnd::Stopped,
                device + ": stopped by a signal after the settings were read; nothing written");
  }
  outcome.written = true;
  if (!opened.connection->Write(quorvel::ToBytes(outcome.batch))) {
    const bool unplugged = opened.connection->Unplugged();
    return fail(kDeviceFailed, unplugged ? SetEnd::Unplugged : SetEnd::WriteFailed,
                device + (unplugged ? ": the printer was unplugged while the settings were written; it may hold part "
                                      "of them"
                                    : ": writing the settings failed; the printer may hold part of them"));
  }
  const std::string notReadBack =
      device + ": stopped by a signal: settings written, not read back: run `quorvelctl read` to check";
  // The printer applies the settings on its own time. We keep holding it meanwhile, so that no other program
  // reads the old settings, writes them back, or takes the printer from under our read-back.
  const std::string unpluggedAfterWrite = device + ": the printer was unplugged: settings written, not read back";
  switch (HoldFor(*opened.connection, request.settle, pause, request.stopped)) {
    case HoldEnd::Stopped:
      if (request.verify) return fail(kStopped, SetEnd::Stopped, notReadBack);
      break;
    case HoldEnd::Unplugged:
      if (request.verify) return fail(kDeviceFailed, SetEnd::Unplugged, unpluggedAfterWrite);
      break;
    case HoldEnd::Waited:
      break;
  }
  if (!request.verify) {
    outcome.result = device + ": settings written (not read back)";
    return outcome;
  }

  const FrameRead after = ReadParameterFrame(*opened.connection, request.timeout, request.stopped);
  if (after.outcome == FrameRead::Stopped) return fail(kStopped, SetEnd::Stopped, notReadBack);
  if (after.outcome == FrameRead::Unplugged) return fail(kDeviceFailed, SetEnd::Unplugged, unpluggedAfterWrite);
  if (!after.frame) {
    return fail(kDeviceFailed, EndOf(after),
                "settings written, but the read-back failed: " + FrameReadProblem(after, device, request.timeout));
  }
  outcome.differences = ReadBackDifferences(wanted, quorvel::SettingsOf(*after.frame));
  if (!outcome.differences.empty()) {
    std::string list;
    for (const std::string& difference : outcome.differences) list += (list.empty() ? "" : "; ") + difference;
    return fail(kReadBackDiffers, SetEnd::ReadBackDiffers,
                device + ": settings written, but read back different: " + list);
  }
  outcome.result = device + ": settings written and read back";
  return outcome;
}

}  // namespace ctl
