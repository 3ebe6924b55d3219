#include "cli/settings_session.h"

#include "cli/frame_exchange.h"
#include "config_tool/params/shown_settings.h"

namespace ctl {

Opened OpenPrinter(platform::PrinterDevices& devices, const std::string& device, HostSystem host) {
  Opened opened;
  platform::OpenFailure failure;
  opened.connection = devices.Open(device, failure);
  if (!opened.connection) {
    opened.code = failure.kind == platform::OpenFailure::NotFound ? kNoSuchPrinter : kDeviceFailed;
    opened.error = OpenFailureText(device, failure, host);
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

  Opened opened = OpenPrinter(devices, device, host);
  if (!opened.connection) return fail(opened.code, opened.error);
  const FrameRead before = ReadParameterFrame(*opened.connection, request.timeout);
  if (!before.frame) return fail(kDeviceFailed, FrameReadProblem(before, device, request.timeout) + "; nothing written");

  // What the main window would show after reading this printer, with the named settings changed by hand.
  const quorvel::PrinterSettings wanted = Applied(
      quorvel::SettingsShownAfter(quorvel::SettingsAtWindowLoad(), quorvel::SettingsOf(*before.frame)), request.change);
  outcome.batch = quorvel::SettingsBatch(wanted);
  if (request.dryRun) {
    outcome.result = device + ": would write " + std::to_string(outcome.batch.size()) + " bytes; nothing written";
    return outcome;
  }
  if (!opened.connection->Write(quorvel::ToBytes(outcome.batch))) {
    return fail(kDeviceFailed, device + ": writing the settings failed; the printer may hold part of them");
  }
  // The printer applies the settings on its own time; nothing of ours keeps its device open meanwhile.
  opened.connection.reset();
  pause(request.settle);
  if (!request.verify) {
    outcome.result = device + ": settings written (not read back)";
    return outcome;
  }

  Opened again = OpenPrinter(devices, device, host);
  if (!again.connection) return fail(again.code, "settings written, but the read-back failed: " + again.error);
  const FrameRead after = ReadParameterFrame(*again.connection, request.timeout);
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
