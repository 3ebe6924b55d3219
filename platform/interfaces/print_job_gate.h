#pragma once
// Whether a print job is using a printer, asked before the kernel's printer driver is taken from it: detaching the
// driver breaks off a job printing through the driver's node (/dev/usb/lpN).
#include <memory>
#include <string>
#include <vector>

namespace platform {

class PrintJobGate {
 public:
  // Keeps print jobs from starting on the printer while it lives.
  struct Hold {
    virtual ~Hold() = default;
  };
  virtual ~PrintJobGate() = default;
  // `nodes` are the printer driver's nodes of one printer. Returns the node a print job has open, or empty when
  // none does; then `hold` keeps any from starting until the caller has detached the driver and lets it go.
  virtual std::string JobUsing(const std::vector<std::string>& nodes, std::unique_ptr<Hold>& hold) = 0;
};

}  // namespace platform
