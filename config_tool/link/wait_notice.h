#pragma once
// The debug view's note that a write waits for the printer: shown once the write has waited a while, taken back
// (the view's text as it was) when the write ends, so that a healthy printer never makes the view flicker.
#include <string>

#include "config_tool/link/device_channel.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"

namespace quorvel {

class WaitNotice {
 public:
  WaitNotice(platform::RichText& view, const ProcessState& process) : view_(view), process_(process) {}

  void Show() {
    if (shown_) return;
    before_ = view_.Text();
    view_.SetText(before_ + std::string(WaitingForPrinterText(process_.language == 1)));
    shown_ = true;
  }
  void Clear() {
    if (!shown_) return;
    view_.SetText(before_);
    shown_ = false;
  }

 private:
  platform::RichText& view_;
  const ProcessState& process_;
  std::string before_;
  bool shown_ = false;
};

}  // namespace quorvel
