#pragma once
// The ten settings the tool changes, by the names the command line, the JSON report and profiles give them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config_tool/params/command_set.h"
#include "config_tool/params/parameter_frame.h"

namespace ctl {

// Each setting that a command names; the others stay as the printer has them.
struct SettingsChange {
  std::optional<int> sensorType;  // 0 gap, 1 black mark, 2 continuous
  std::optional<bool> compatibility, usbHandshake, speedLimit;
  std::optional<bool> frontSensor, externalPower, headProtection;
  std::optional<int> offsetIndex;  // 0 to 20, as the LIMITED line carries it
  std::optional<bool> constantDensity, frontSensorOff;

  bool Empty() const;
  bool Complete() const;
};

quorvel::PrinterSettings Applied(quorvel::PrinterSettings settings, const SettingsChange& change);

// Every setting of `settings`, as a complete change.
SettingsChange AllOf(const quorvel::PrinterSettings& settings);

// Names of the sensor types, by frame value: "gap", "black_mark", "continuous".
std::string_view SensorName(int sensorType);
std::optional<int> SensorTypeNamed(std::string_view name);

// The print offset: 0 mm is index 0, -2 to -20 mm are 1 to 10, +2 to +20 mm are 11 to 20.
std::optional<int> OffsetIndexOfMm(int millimetres);
int OffsetMmOfIndex(int index);

// One setting that reads back different from what was written: "speed_limit: wrote on, reads off".
std::vector<std::string> ReadBackDifferences(const quorvel::PrinterSettings& written,
                                             const quorvel::ReportedSettings& readBack);

// The settings as "name=value" words, for messages: "sensor=gap usb_handshake=on ...".
std::string Describe(const SettingsChange& change);

}  // namespace ctl
