#pragma once
// A printer the tool can talk to: where its device file is and who it says it is.
#include <optional>
#include <string>
#include <vector>

#include "cli/json.h"

namespace ctl {

struct AttachedPrinter {
  std::string device;               // the path that opens its device file
  std::string vid, pid;             // four upper-case hexadecimal digits; empty when unknown
  std::string model;                // from the model identity table; empty when unknown
  std::optional<std::string> port;  // Windows' port name (USB001); none on Linux
  std::string serial;               // empty when it has none
  std::string location;             // what stays the same when it is plugged into the same socket again: the
                                    // port name on Windows, the place on the bus (1-1.4) on Linux; may be empty
};

// The model of a vendor and product identifier pair; empty when the table does not know it.
std::string ModelNameOf(const std::string& vid, const std::string& pid);

// One line of `list`: number, device, VID:PID, model, location and serial, separated by tabs ("-" for nothing).
std::string ListLine(size_t number, const AttachedPrinter& printer);

Json ToJson(const AttachedPrinter& printer);

// Where printers come from: the registry on Windows, sysfs on Linux.
class PrinterSource {
 public:
  virtual ~PrinterSource() = default;
  virtual std::vector<AttachedPrinter> List() = 0;
  // Why the last List() could not look for printers; empty when it could (and found none, or some).
  virtual std::string ListingFailure() const { return {}; }
};

}  // namespace ctl
