#include "config_tool/params/shown_settings.h"

namespace quorvel {

PrinterSettings SettingsAtWindowLoad() {
  PrinterSettings settings;
  settings.sensorType = 0;
  return settings;
}

PrinterSettings SettingsShownAfter(const PrinterSettings& before, const ReportedSettings& reported) {
  PrinterSettings shown = before;
  shown.usbHandshake = reported.usbHandshake;
  shown.sensorType = reported.sensorOption;
  shown.compatibility = reported.compatibility;
  shown.speedLimit = reported.speedLimit;
  if (reported.extended) {
    shown.frontSensor = reported.frontSensor;
    shown.externalPower = reported.externalPower;
    shown.headProtection = reported.headProtection;
  }
  if (reported.offsetIndex) shown.offsetIndex = *reported.offsetIndex;
  shown.constantDensity = reported.constantDensity;
  shown.frontSensorOff = reported.frontSensorOff;
  return shown;
}

}  // namespace quorvel
