#include "cli/print_job_check.h"

#include <cerrno>

namespace ctl {
namespace {

class OpenNodes : public platform::PrintJobGate::Hold {
 public:
  explicit OpenNodes(CloseNode close) : close_(std::move(close)) {}
  ~OpenNodes() override {
    for (int handle : handles_) close_(handle);
  }
  OpenNodes(const OpenNodes&) = delete;
  OpenNodes& operator=(const OpenNodes&) = delete;
  void Add(int handle) { handles_.push_back(handle); }

 private:
  CloseNode close_;
  std::vector<int> handles_;
};

}  // namespace

std::string NodeOpenGate::JobUsing(const std::vector<std::string>& nodes, std::unique_ptr<Hold>& hold) {
  auto held = std::make_unique<OpenNodes>(close_);
  for (const std::string& node : nodes) {
    const int handle = open_(node);
    if (handle == -EBUSY) return node;  // `held` goes: what was opened is closed again
    // Any other failure (no such node, no access to it) cannot tell us of a job: the claim decides, as before.
    if (handle >= 0) held->Add(handle);
  }
  hold = std::move(held);
  return {};
}

}  // namespace ctl
