#pragma once
// Where each field sits in the printer's 64-byte parameter frame.
#include <cstddef>
#include <string_view>

namespace quorvel::frame_layout {

inline constexpr size_t kVersion = 1, kDate = 3, kProduct = 9, kHandshake = 13, kSensor = 14, kCompatibility = 15;
inline constexpr size_t kGapThreshold = 16, kPaperAd = 20, kGapAd = 24, kStartPosition = 28, kCutPosition = 31;
inline constexpr size_t kPrintLength = 34, kSpeedLimit = 42, kVoltage = 43, kTemperature = 45;
inline constexpr size_t kFrontThreshold = 48, kFrontPaperAd = 52, kFrontSensor = 56, kExternalPower = 57;
inline constexpr size_t kHeadProtection = 58, kOffset = 59, kDensity = 60, kFrontSensorOff = 61;

// The print length field reads exactly this when the frame has the front-sensor block (bytes 48 to 58).
inline constexpr std::string_view kExtendedLayoutMark = "20171106";

}  // namespace quorvel::frame_layout
