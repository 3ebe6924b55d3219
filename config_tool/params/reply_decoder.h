#pragma once
// Shows a parameter frame: the report in the debug view, every reported setting in its control.
#include <functional>

#include "config_tool/main_window_context.h"
#include "config_tool/params/parameter_frame.h"
#include "config_tool/shared_state.h"

namespace quorvel {

class ReplyDecoder {
 public:
  // `onCombo6Changed` runs when the power supply list is set, as a user's change would run it.
  ReplyDecoder(const MainWindowControls& controls, MainWindowFields& fields, const ProcessState& process,
               std::function<void()> onCombo6Changed)
      : controls_(controls), fields_(fields), process_(process), onCombo6Changed_(std::move(onCombo6Changed)) {}

  void Decode(Frame frame);

 private:
  const MainWindowControls& controls_;
  MainWindowFields& fields_;
  const ProcessState& process_;
  std::function<void()> onCombo6Changed_;
};

}  // namespace quorvel
