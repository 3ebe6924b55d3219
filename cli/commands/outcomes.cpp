#include "cli/commands/outcomes.h"

#include <ostream>

namespace ctl {

Json OutcomeJson(const SetOutcome& outcome, const AttachedPrinter& printer) {
  Json object = Json::object();
  object["device"] = outcome.device;
  // The device node changes at every replug; these do not, so a retry can find the same printer.
  object["serial"] = printer.serial.empty() ? Json() : Json(printer.serial);
  object["location"] = printer.location.empty() ? Json() : Json(printer.location);
  object["exit_code"] = static_cast<int>(outcome.code);
  object["outcome"] = SetEndName(outcome.end);
  object["message"] = outcome.result;
  object["differences"] = outcome.differences;
  Json lines = Json::array();
  size_t start = 0;
  while (start < outcome.batch.size()) {
    size_t end = outcome.batch.find("\r\n", start);
    if (end == std::string::npos) end = outcome.batch.size();
    lines.push_back(outcome.batch.substr(start, end - start));
    start = end + 2;
  }
  object["batch"] = std::move(lines);
  return object;
}

int SetOnPrinters(CtlContext& context, const std::vector<AttachedPrinter>& printers, const SetRequest& request,
                  bool json) {
  std::vector<std::string> devices;
  for (const AttachedPrinter& printer : printers) devices.push_back(printer.device);
  if (!request.dryRun && request.verify && request.settle.count() >= 1000 && context.io.errIsTerminal) {
    context.io.err << "quorvelctl: the settings are read back " << request.settle.count() / 1000
                   << " s after they are written, while the printer applies them\n";
  }
  const std::vector<SetOutcome> outcomes = RunForEach(devices, [&](const std::string& device) {
    return SetPrinterSettings(context.devices, device, request, context.pause, context.host);
  });
  for (size_t i = 0; i < outcomes.size(); ++i) {
    const SetOutcome& outcome = outcomes[i];
    if (json) {
      context.io.out << JsonText(OutcomeJson(outcome, printers[i])) << "\n";
    } else if (request.dryRun && outcome.code == kDone) {
      context.io.out << outcome.result << "; the batch, each line ended by CR LF:\n";
      size_t start = 0;
      while (start < outcome.batch.size()) {
        size_t end = outcome.batch.find("\r\n", start);
        if (end == std::string::npos) end = outcome.batch.size();
        context.io.out << "  " << outcome.batch.substr(start, end - start) << "\n";
        start = end + 2;
      }
    } else {
      if (outcome.code == kDone) {
        context.io.out << outcome.result << "\n";
      } else {
        context.io.err << "quorvelctl: " << outcome.result << "\n";
      }
    }
  }
  return FirstFailure(outcomes);
}

}  // namespace ctl
