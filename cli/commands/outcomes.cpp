#include "cli/commands/outcomes.h"

#include <ostream>

namespace ctl {

int SetOnPrinters(CtlContext& context, const std::vector<AttachedPrinter>& printers, const SetRequest& request) {
  std::vector<std::string> devices;
  for (const AttachedPrinter& printer : printers) devices.push_back(printer.device);
  if (!request.dryRun && request.verify && request.settle.count() >= 1000 && context.io.errIsTerminal) {
    context.io.err << "quorvelctl: the settings are read back " << request.settle.count() / 1000
                   << " s after they are written, while the printer applies them\n";
  }
  const std::vector<SetOutcome> outcomes = RunForEach(devices, [&](const std::string& device) {
    return SetPrinterSettings(context.devices, device, request, context.pause, context.host);
  });
  for (const SetOutcome& outcome : outcomes) {
    if (request.dryRun && outcome.code == kDone) {
      context.io.out << outcome.result << "; the batch, each line ended by CR LF:\n";
      size_t start = 0;
      while (start < outcome.batch.size()) {
        size_t end = outcome.batch.find("\r\n", start);
        if (end == std::string::npos) end = outcome.batch.size();
        context.io.out << "  " << outcome.batch.substr(start, end - start) << "\n";
        start = end + 2;
      }
    } else {
      (outcome.code == kDone ? context.io.out : context.io.err) << outcome.result << "\n";
    }
  }
  return FirstFailure(outcomes);
}

}  // namespace ctl
