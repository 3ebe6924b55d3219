// quorvelctl list [--json]: the printers attached.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"

namespace ctl {

Command AddListCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "list", "List the attached printers: number, device, VID:PID, model, location and serial, one per line.");
  auto json = std::make_shared<bool>(false);
  command->add_flag("--json", *json,
                    "A JSON array of objects with device, vid, pid, model, port (null on Linux), serial and location.");
  return {command, [&context, json] {
            const std::vector<AttachedPrinter> printers = context.source.List();
            // Not the same as an empty bus: a script must not conclude that no printer is there.
            if (std::string failure = context.source.ListingFailure(); printers.empty() && !failure.empty()) {
              return Fail(context, kDeviceFailed, "cannot look for printers: " + failure);
            }
            if (*json) {
              Json list = Json::array();
              for (const AttachedPrinter& printer : printers) list.push_back(ToJson(printer));
              context.io.out << JsonText(list, 2) << "\n";
            } else {
              for (size_t i = 0; i < printers.size(); ++i) context.io.out << ListLine(i + 1, printers[i]) << "\n";
            }
            if (printers.empty()) {
              context.io.err << "quorvelctl: no printer attached\n";
              return static_cast<int>(kNoSuchPrinter);
            }
            return static_cast<int>(kDone);
          }};
}

}  // namespace ctl
