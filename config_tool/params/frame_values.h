#pragma once
// The values a parameter frame reports, as the texts the report shows them with.
#include <optional>
#include <string>

#include "config_tool/params/parameter_frame.h"

namespace quorvel {

struct FrameValues {
  std::string productId;        // "1000"
  std::string firmwareVersion;  // "1.5"
  std::string firmwareDate;     // "2018-06-07"
  std::string gapThreshold, paperAd, gapAd;
  std::string printPosition, cutPosition, printLength;
  std::string voltage, temperature;
  // The front-sensor block, reported only by frames with the extended layout.
  std::optional<std::string> frontSensorThreshold, frontSensorPaperAd;
};

FrameValues ValuesOf(Frame frame);

// The 64 bytes as upper-case hexadecimal digits, two per byte.
std::string FrameHex(Frame frame);

}  // namespace quorvel
