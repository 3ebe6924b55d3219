#pragma once
// The printer's 64-byte answer to "RETURN VALUE": its fields, its report lines and the settings it reports.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvel {

inline constexpr size_t kFrameSize = 64;
inline constexpr uint8_t kFrameMarker = 0x40;  // '@' at bytes 0 and 63

// At least 64 bytes, with the marker at bytes 0 and 63.
bool IsCompleteFrame(std::span<const uint8_t> bytes);

// The first position at which 64 bytes start and end with the frame marker; nothing when there is none.
// Bytes before the frame (a late answer to an earlier command, a status byte) are passed over, and a frame
// that came in several transfers is found once they are put together.
std::optional<size_t> FindFrame(std::span<const uint8_t> bytes);

using Frame = std::span<const uint8_t, kFrameSize>;

// The characters of a text field; bytes outside printable ASCII show as \xNN, so they cannot garble the report.
std::string FrameText(Frame frame, size_t first, size_t count);

// The four characters of the reported USB product identifier (bytes 9 to 12).
std::string ReportedProduct(Frame frame);

// The front-sensor block (bytes 48 to 58) exists only when the print length field reads exactly "20171106".
bool HasExtendedLayout(Frame frame);

// The settings the frame reports, as the main window's controls take them.
struct ReportedSettings {
  bool usbHandshake = false;
  int sensorOption = 0;  // 0 gap, 1 black mark, 2 continuous (any other byte value)
  bool compatibility = false;
  bool speedLimit = false;
  bool extended = false;  // the three values below are reported only then
  bool frontSensor = false;
  bool externalPower = false;
  bool headProtection = false;
  std::optional<int> offsetIndex;  // only 0 to 20 are taken
  bool constantDensity = false;
  bool frontSensorOff = false;
};

ReportedSettings SettingsOf(Frame frame);

// The report lines, each ended by CR LF, in Chinese or English; `model` goes into the PID line's parentheses.
std::string ReportText(Frame frame, bool chinese, std::string_view model);

}  // namespace quorvel
