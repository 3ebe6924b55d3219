#pragma once
// A print job through the kernel's printer driver has the driver's node (/dev/usb/lpN) open, and the driver lets
// only one program open it: our own open of the node answers EBUSY while a job prints. Holding the node open from
// that look until the driver is detached keeps a job from starting in between.
#include <functional>

#include "platform/interfaces/print_job_gate.h"

namespace ctl {

// Opens a node for the look: a handle, or minus the system's error number.
using OpenNode = std::function<int(const std::string& path)>;
using CloseNode = std::function<void(int handle)>;

class NodeOpenGate : public platform::PrintJobGate {
 public:
  NodeOpenGate(OpenNode open, CloseNode close) : open_(std::move(open)), close_(std::move(close)) {}
  std::string JobUsing(const std::vector<std::string>& nodes, std::unique_ptr<Hold>& hold) override;

 private:
  OpenNode open_;
  CloseNode close_;
};

}  // namespace ctl
