#pragma once
// The printer's command language: ASCII command lines ended by CR LF, several lines allowed in one write.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

namespace command {
inline constexpr std::string_view kReturnValue = "RETURN VALUE";  // answered with the 64-byte parameter frame
inline constexpr std::string_view kSensorType = "SENSORTYPE";      // + " 0" gap, " 1" black mark, " 2" continuous
inline constexpr std::string_view kSupport = "SUPPORT";            // + " 0" / " 1" driver compatibility
inline constexpr std::string_view kUsbHandshakeOn = "USBHANDO";
inline constexpr std::string_view kUsbHandshakeOff = "USBHANDC";
inline constexpr std::string_view kLimited = "LIMITED";            // + " " and eight setting characters
inline constexpr std::string_view kSelfTestPage = "PTESTPAGE";
inline constexpr std::string_view kFirmwareUpgrade = "PROGRAME UPGRADE";
}  // namespace command

inline constexpr std::string_view kLineEnd = "\r\n";

// The command text followed by CR LF.
std::string CommandLine(std::string_view text);

// One byte per character, as the printer reads them.
std::vector<uint8_t> ToBytes(std::string_view text);

// The settings the Set button sends, in the printer's terms.
struct PrinterSettings {
  int sensorType = -1;          // 0 gap, 1 black mark, 2 continuous; -1 none chosen (an empty first line)
  bool compatibility = false;   // SUPPORT 1
  bool usbHandshake = true;     // USBHANDO
  bool speedLimit = false;      // LIMITED character 1
  bool frontSensor = true;      // character 2
  bool externalPower = true;    // character 3
  bool headProtection = true;   // character 4
  int offsetIndex = 0;          // characters 5 and 6: 0 is 0 mm, 1-10 are -2..-20 mm, 11-20 are +2..+20 mm
  bool constantDensity = false; // character 7
  bool frontSensorOff = false;  // character 8

  bool operator==(const PrinterSettings&) const = default;
};

// The eight characters after "LIMITED ".
std::string LimitedArgument(const PrinterSettings& settings);

// The four lines of a settings write, joined: sensor type, compatibility, USB handshake, LIMITED.
std::string SettingsBatch(const PrinterSettings& settings);

}  // namespace quorvel
