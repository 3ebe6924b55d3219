#pragma once
// What `read` prints: the main window's report in either language, or a JSON object with stable field names.
#include <string>
#include <string_view>

#include "cli/frame_exchange.h"
#include "cli/json.h"

namespace ctl {

enum class Language { Chinese, English };

// The model the main window shows in the PID line for this frame ("" when the table does not know it).
std::string ReportedModel(const FrameBytes& frame);

// The debug view's text, each line ended by a line feed instead of the view's CR LF.
std::string ReportLines(const FrameBytes& frame, Language language);

// device, model, product_id, firmware_version, firmware_date, usb_handshake, sensor, driver_compatibility,
// the measured values, speed_limit, constant_density, front_sensor_off, the extended block when the frame has it,
// and raw.
Json ReportJson(const FrameBytes& frame, std::string_view device);

}  // namespace ctl
