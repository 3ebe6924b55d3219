#include "cli/setting_values.h"

#include <array>

namespace ctl {
namespace {

constexpr std::array<std::string_view, 3> kSensorNames = {"gap", "black_mark", "continuous"};

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string Millimetres(int millimetres) {
  std::string text = millimetres > 0 ? "+" : "";
  text += std::to_string(millimetres);
  text += " mm";
  return text;
}

template <typename T>
void Set(std::optional<T> value, T& target) {
  if (value) target = *value;
}

}  // namespace

bool SettingsChange::Empty() const {
  return !sensorType && !compatibility && !usbHandshake && !speedLimit && !frontSensor && !externalPower &&
         !headProtection && !offsetIndex && !constantDensity && !frontSensorOff;
}

bool SettingsChange::Complete() const {
  return sensorType && compatibility && usbHandshake && speedLimit && frontSensor && externalPower &&
         headProtection && offsetIndex && constantDensity && frontSensorOff;
}

quorvel::PrinterSettings Applied(quorvel::PrinterSettings settings, const SettingsChange& change) {
  Set(change.sensorType, settings.sensorType);
  Set(change.compatibility, settings.compatibility);
  Set(change.usbHandshake, settings.usbHandshake);
  Set(change.speedLimit, settings.speedLimit);
  Set(change.frontSensor, settings.frontSensor);
  Set(change.externalPower, settings.externalPower);
  Set(change.headProtection, settings.headProtection);
  Set(change.offsetIndex, settings.offsetIndex);
  Set(change.constantDensity, settings.constantDensity);
  Set(change.frontSensorOff, settings.frontSensorOff);
  return settings;
}

SettingsChange AllOf(const quorvel::PrinterSettings& s) {
  return SettingsChange{s.sensorType,    s.compatibility,  s.usbHandshake, s.speedLimit,      s.frontSensor,
                        s.externalPower, s.headProtection, s.offsetIndex,  s.constantDensity, s.frontSensorOff};
}

std::string_view SensorName(int sensorType) {
  return sensorType >= 0 && sensorType <= 2 ? kSensorNames[static_cast<size_t>(sensorType)] : "none";
}

std::optional<int> SensorTypeNamed(std::string_view name) {
  for (size_t i = 0; i < kSensorNames.size(); ++i) {
    if (kSensorNames[i] == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> OffsetIndexOfMm(int millimetres) {
  if (millimetres % 2 != 0 || millimetres < -20 || millimetres > 20) return std::nullopt;
  if (millimetres == 0) return 0;
  return millimetres < 0 ? -millimetres / 2 : 10 + millimetres / 2;
}

int OffsetMmOfIndex(int index) {
  if (index <= 0 || index > 20) return 0;
  return index <= 10 ? -2 * index : 2 * (index - 10);
}

std::vector<std::string> ReadBackDifferences(const quorvel::PrinterSettings& written,
                                             const quorvel::ReportedSettings& readBack) {
  std::vector<std::string> differences;
  auto flag = [&](std::string_view name, bool wrote, bool reads) {
    if (wrote != reads) differences.push_back(std::string(name) + ": wrote " + OnOff(wrote) + ", reads " + OnOff(reads));
  };
  if (written.sensorType != readBack.sensorOption) {
    differences.push_back("sensor: wrote " + std::string(SensorName(written.sensorType)) + ", reads " +
                          std::string(SensorName(readBack.sensorOption)));
  }
  flag("driver_compatibility", written.compatibility, readBack.compatibility);
  flag("usb_handshake", written.usbHandshake, readBack.usbHandshake);
  flag("speed_limit", written.speedLimit, readBack.speedLimit);
  // A printer without the front-sensor block does not report these three: nothing to compare.
  if (readBack.extended) {
    flag("front_sensor_fitted", written.frontSensor, readBack.frontSensor);
    flag("external_power", written.externalPower, readBack.externalPower);
    flag("head_protection", written.headProtection, readBack.headProtection);
  }
  if (!readBack.offsetIndex) {
    differences.push_back("offset_mm: wrote " + Millimetres(OffsetMmOfIndex(written.offsetIndex)) +
                          ", reads a value outside -20 to +20 mm");
  } else if (*readBack.offsetIndex != written.offsetIndex) {
    differences.push_back("offset_mm: wrote " + Millimetres(OffsetMmOfIndex(written.offsetIndex)) + ", reads " +
                          Millimetres(OffsetMmOfIndex(*readBack.offsetIndex)));
  }
  flag("constant_density", written.constantDensity, readBack.constantDensity);
  flag("front_sensor_off", written.frontSensorOff, readBack.frontSensorOff);
  return differences;
}

std::string Describe(const SettingsChange& c) {
  std::string text;
  auto add = [&](std::string_view name, const std::string& value) {
    if (!text.empty()) text += ' ';
    text += std::string(name) + "=" + value;
  };
  if (c.sensorType) add("sensor", std::string(SensorName(*c.sensorType)));
  if (c.compatibility) add("driver_compatibility", OnOff(*c.compatibility));
  if (c.usbHandshake) add("usb_handshake", OnOff(*c.usbHandshake));
  if (c.speedLimit) add("speed_limit", OnOff(*c.speedLimit));
  if (c.frontSensor) add("front_sensor", *c.frontSensor ? "fitted" : "absent");
  if (c.externalPower) add("power", *c.externalPower ? "external" : "internal");
  if (c.headProtection) add("head_protection", OnOff(*c.headProtection));
  if (c.offsetIndex) add("offset", Millimetres(OffsetMmOfIndex(*c.offsetIndex)));
  if (c.constantDensity) add("constant_density", OnOff(*c.constantDensity));
  if (c.frontSensorOff) add("front_sensor_off", OnOff(*c.frontSensorOff));
  return text;
}

}  // namespace ctl
