#pragma once
// The settings the main window's Set button would send after a read: what its setting controls show when the
// window has loaded, and what they show once the decoder has put a frame's settings into them.
#include "config_tool/params/command_set.h"
#include "config_tool/params/parameter_frame.h"

namespace quorvel {

// Gap sensor, USB positioning on, every list at its first item, both check boxes clear.
PrinterSettings SettingsAtWindowLoad();

// The decoder leaves a control alone when the frame does not report its setting: without the extended layout
// the front sensor, power supply and head protection stay as `before` had them, and an offset byte above 20
// keeps the offset.
PrinterSettings SettingsShownAfter(const PrinterSettings& before, const ReportedSettings& reported);

}  // namespace quorvel
