#include "cli/settings_profile.h"

#include <array>
#include <set>
#include <vector>

namespace ctl {
namespace {

constexpr std::array<std::string_view, 10> kSettingNames = {
    "sensor",          "driver_compatibility", "usb_handshake", "speed_limit",      "front_sensor_fitted",
    "external_power",  "head_protection",      "offset_mm",     "constant_density", "front_sensor_off"};

ParsedProfile Refused(std::string error) { return ParsedProfile{std::nullopt, std::move(error), ""}; }

}  // namespace

Json ProfileJson(const quorvel::PrinterSettings& s, const ProfileSource& source) {
  Json settings = Json::object();
  settings["sensor"] = SensorName(s.sensorType);
  settings["driver_compatibility"] = s.compatibility;
  settings["usb_handshake"] = s.usbHandshake;
  settings["speed_limit"] = s.speedLimit;
  settings["front_sensor_fitted"] = s.frontSensor;
  settings["external_power"] = s.externalPower;
  settings["head_protection"] = s.headProtection;
  settings["offset_mm"] = OffsetMmOfIndex(s.offsetIndex);
  settings["constant_density"] = s.constantDensity;
  settings["front_sensor_off"] = s.frontSensorOff;

  Json from = Json::object();
  from["device"] = source.device;
  from["model"] = source.model;
  from["product_id"] = source.productId;
  from["firmware_version"] = source.firmwareVersion;
  from["firmware_date"] = source.firmwareDate;
  from["extended_layout"] = source.extendedLayout;

  Json profile = Json::object();
  profile["format"] = kProfileFormat;
  profile["version"] = kProfileVersion;
  profile["settings"] = std::move(settings);
  profile["source"] = std::move(from);
  return profile;
}

ParsedProfile ParseProfile(std::string_view text) {
  Json profile;
  // A key given twice would silently take its last value; which one the author meant cannot be known.
  std::vector<std::set<std::string>> keysOfOpenObjects;
  std::optional<std::string> duplicate;
  auto noteKeys = [&](int /*depth*/, Json::parse_event_t event, Json& value) {
    if (event == Json::parse_event_t::object_start) keysOfOpenObjects.emplace_back();
    if (event == Json::parse_event_t::object_end && !keysOfOpenObjects.empty()) keysOfOpenObjects.pop_back();
    if (event == Json::parse_event_t::key && !keysOfOpenObjects.empty() && !duplicate) {
      const std::string key = value.get<std::string>();
      if (!keysOfOpenObjects.back().insert(key).second) duplicate = key;
    }
    return true;
  };
  try {
    profile = Json::parse(text, noteKeys);
  } catch (const Json::exception& error) {  // a syntax error, or a number no double holds
    std::string what = error.what();
    if (size_t end = what.find("] "); what.starts_with("[json.exception") && end != std::string::npos) {
      what = what.substr(end + 2);
    }
    return Refused("not JSON: " + what);
  }
  if (duplicate) return Refused("the key \"" + *duplicate + "\" is given twice");
  if (!profile.is_object()) return Refused("not a profile: the file holds no JSON object");
  if (!profile.contains("format") || profile["format"] != kProfileFormat) {
    return Refused("not a profile: \"format\" is not \"" + std::string(kProfileFormat) + "\"");
  }
  if (!profile.contains("version") || profile["version"] != kProfileVersion) {
    return Refused("profile version " + (profile.contains("version") ? JsonText(profile["version"]) : "missing") +
                   " is not one this program reads (" + std::to_string(kProfileVersion) + ")");
  }
  if (!profile.contains("settings") || !profile["settings"].is_object()) {
    return Refused("the profile has no \"settings\" object");
  }
  const Json& settings = profile["settings"];
  for (const auto& item : settings.items()) {
    bool known = false;
    for (std::string_view name : kSettingNames) known = known || item.key() == name;
    if (!known) return Refused("settings." + item.key() + " is not a setting");
  }
  for (std::string_view name : kSettingNames) {
    if (!settings.contains(std::string(name))) return Refused("settings." + std::string(name) + " is missing");
  }

  SettingsChange change;
  const Json& sensor = settings.at("sensor");
  if (!sensor.is_string() || !SensorTypeNamed(sensor.get<std::string>())) {
    return Refused("settings.sensor is " + JsonText(sensor) + ", not \"gap\", \"black_mark\" or \"continuous\"");
  }
  change.sensorType = SensorTypeNamed(sensor.get<std::string>());

  const Json& offset = settings.at("offset_mm");
  std::optional<int> offsetIndex;
  if (offset.is_number_integer() && offset.get<long long>() >= -20 && offset.get<long long>() <= 20) {
    offsetIndex = OffsetIndexOfMm(static_cast<int>(offset.get<long long>()));
  }
  if (!offsetIndex) return Refused("settings.offset_mm is " + JsonText(offset) + ", not an even number from -20 to 20");
  change.offsetIndex = offsetIndex;

  struct Flag {
    std::string_view name;
    std::optional<bool> SettingsChange::*field;
  };
  constexpr Flag kFlags[] = {
      {"driver_compatibility", &SettingsChange::compatibility}, {"usb_handshake", &SettingsChange::usbHandshake},
      {"speed_limit", &SettingsChange::speedLimit},             {"front_sensor_fitted", &SettingsChange::frontSensor},
      {"external_power", &SettingsChange::externalPower},       {"head_protection", &SettingsChange::headProtection},
      {"constant_density", &SettingsChange::constantDensity},   {"front_sensor_off", &SettingsChange::frontSensorOff},
  };
  for (const Flag& flag : kFlags) {
    const Json& value = settings.at(std::string(flag.name));
    if (!value.is_boolean()) return Refused("settings." + std::string(flag.name) + " is " + JsonText(value) + ", not true or false");
    change.*flag.field = value.get<bool>();
  }
  ParsedProfile parsed{change, "", ""};
  if (profile.contains("source") && profile["source"].is_object() && profile["source"].contains("model") &&
      profile["source"]["model"].is_string()) {
    parsed.sourceModel = profile["source"]["model"].get<std::string>();
  }
  return parsed;
}

}  // namespace ctl
