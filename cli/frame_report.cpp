#include "cli/frame_report.h"

#include "cli/setting_values.h"
#include "config_tool/params/frame_values.h"
#include "config_tool/params/model_identity.h"

namespace ctl {

std::string ReportedModel(const FrameBytes& frame) {
  // As the decoder looks it up: the product the printer reports, of vendor 1A86.
  return std::string(quorvel::LookUpModel(quorvel::ReportedProduct(frame), "1A86").value_or(""));
}

std::string ReportLines(const FrameBytes& frame, Language language) {
  const std::string report = quorvel::ReportText(frame, language == Language::Chinese, ReportedModel(frame));
  std::string lines;
  lines.reserve(report.size());
  for (size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\r' && i + 1 < report.size() && report[i + 1] == '\n') continue;
    lines += report[i];
  }
  return lines;
}

Json ReportJson(const FrameBytes& frame, std::string_view device) {
  const quorvel::FrameValues values = quorvel::ValuesOf(frame);
  const quorvel::ReportedSettings settings = quorvel::SettingsOf(frame);
  Json report = Json::object();
  report["device"] = device;
  report["model"] = ReportedModel(frame);
  report["product_id"] = values.productId;
  report["firmware_version"] = values.firmwareVersion;
  report["firmware_date"] = values.firmwareDate;
  report["usb_handshake"] = settings.usbHandshake;
  report["sensor"] = SensorName(settings.sensorOption);
  report["driver_compatibility"] = settings.compatibility;
  report["gap_threshold"] = values.gapThreshold;
  report["paper_ad"] = values.paperAd;
  report["gap_ad"] = values.gapAd;
  report["print_position"] = values.printPosition;
  report["cut_position"] = values.cutPosition;
  report["print_length"] = values.printLength;
  report["speed_limit"] = settings.speedLimit;
  report["voltage"] = values.voltage;
  report["temperature"] = values.temperature;
  if (settings.extended) {
    report["front_sensor_threshold"] = *values.frontSensorThreshold;
    report["front_sensor_paper_ad"] = *values.frontSensorPaperAd;
    report["front_sensor_fitted"] = settings.frontSensor;
    report["external_power"] = settings.externalPower;
    report["head_protection"] = settings.headProtection;
    // A byte above 20 is no offset the printer can hold: null rather than a made-up value.
    report["offset_mm"] = settings.offsetIndex ? Json(OffsetMmOfIndex(*settings.offsetIndex)) : Json(nullptr);
  }
  report["constant_density"] = settings.constantDensity;
  report["front_sensor_off"] = settings.frontSensorOff;
  report["raw"] = quorvel::FrameHex(frame);
  return report;
}

}  // namespace ctl
