// The settings by name: offsets in millimetres, changes, read-back comparison, and profiles.
#include <gtest/gtest.h>

#include "cli/setting_values.h"
#include "cli/settings_profile.h"

namespace {

using ctl::SettingsChange;

TEST(Offset, MillimetresAndTheIndexTheLimitedLineCarries) {
  EXPECT_EQ(ctl::OffsetIndexOfMm(0), 0);
  EXPECT_EQ(ctl::OffsetIndexOfMm(-2), 1);
  EXPECT_EQ(ctl::OffsetIndexOfMm(-14), 7);
  EXPECT_EQ(ctl::OffsetIndexOfMm(-20), 10);
  EXPECT_EQ(ctl::OffsetIndexOfMm(2), 11);
  EXPECT_EQ(ctl::OffsetIndexOfMm(20), 20);
  for (int refused : {1, -3, 22, -22, 19, 100}) EXPECT_FALSE(ctl::OffsetIndexOfMm(refused)) << refused;
  for (int index = 0; index <= 20; ++index) EXPECT_EQ(ctl::OffsetIndexOfMm(ctl::OffsetMmOfIndex(index)), index);
}

TEST(Change, OnlyTheNamedSettingsChange) {
  quorvel::PrinterSettings printer;
  printer.sensorType = 1;
  printer.offsetIndex = 7;
  printer.constantDensity = true;
  SettingsChange change;
  change.speedLimit = true;
  change.offsetIndex = 20;
  const quorvel::PrinterSettings changed = ctl::Applied(printer, change);
  EXPECT_EQ(changed.sensorType, 1);
  EXPECT_TRUE(changed.constantDensity);
  EXPECT_TRUE(changed.speedLimit);
  EXPECT_EQ(changed.offsetIndex, 20);
  EXPECT_EQ(quorvel::SettingsBatch(changed), "SENSORTYPE 1\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11112010\r\n");
  EXPECT_FALSE(change.Empty());
  EXPECT_FALSE(change.Complete());
  EXPECT_TRUE(SettingsChange{}.Empty());
  EXPECT_TRUE(ctl::AllOf(printer).Complete());
  EXPECT_EQ(ctl::Applied(quorvel::PrinterSettings{}, ctl::AllOf(changed)), changed);
}

TEST(Change, DescribedByName) {
  SettingsChange change;
  change.sensorType = 2;
  change.frontSensor = false;
  change.offsetIndex = 3;
  EXPECT_EQ(ctl::Describe(change), "sensor=continuous front_sensor=absent offset=-6 mm");
}

quorvel::ReportedSettings ReportedFrom(const quorvel::PrinterSettings& s, bool extended) {
  quorvel::ReportedSettings r;
  r.usbHandshake = s.usbHandshake;
  r.sensorOption = s.sensorType;
  r.compatibility = s.compatibility;
  r.speedLimit = s.speedLimit;
  r.extended = extended;
  if (extended) {
    r.frontSensor = s.frontSensor;
    r.externalPower = s.externalPower;
    r.headProtection = s.headProtection;
  }
  r.offsetIndex = s.offsetIndex;
  r.constantDensity = s.constantDensity;
  r.frontSensorOff = s.frontSensorOff;
  return r;
}

TEST(ReadBack, SameSettingsShowNoDifference) {
  quorvel::PrinterSettings written;
  written.sensorType = 2;
  written.offsetIndex = 15;
  EXPECT_TRUE(ctl::ReadBackDifferences(written, ReportedFrom(written, true)).empty());
}

TEST(ReadBack, EveryDifferenceIsNamed) {
  quorvel::PrinterSettings written;
  written.sensorType = 0;
  written.offsetIndex = 11;
  quorvel::ReportedSettings back = ReportedFrom(written, true);
  back.sensorOption = 1;
  back.speedLimit = true;
  back.headProtection = false;
  back.offsetIndex = 1;
  EXPECT_EQ(ctl::ReadBackDifferences(written, back),
            (std::vector<std::string>{"sensor: wrote gap, reads black_mark", "speed_limit: wrote off, reads on",
                                      "head_protection: wrote on, reads off", "offset_mm: wrote +2 mm, reads -2 mm"}));
  back.offsetIndex.reset();
  EXPECT_EQ(ctl::ReadBackDifferences(written, back).back(), "offset_mm: wrote +2 mm, reads a value outside -20 to +20 mm");
}

TEST(ReadBack, APlainFrameDoesNotReportTheFrontSensorBlock) {
  quorvel::PrinterSettings written;
  written.frontSensor = false;
  written.externalPower = false;
  quorvel::ReportedSettings back = ReportedFrom(written, false);  // the three read as false: not reported
  back.frontSensor = true;
  EXPECT_TRUE(ctl::ReadBackDifferences(written, back).empty());
}

const char kValidProfile[] = R"({
  "format": "quorvelctl-profile",
  "version": 1,
  "settings": {
    "sensor": "black_mark", "driver_compatibility": true, "usb_handshake": false, "speed_limit": true,
    "front_sensor_fitted": false, "external_power": false, "head_protection": true, "offset_mm": -14,
    "constant_density": true, "front_sensor_off": false
  },
  "source": {"device": "/dev/usb/lp0"}
})";

TEST(Profile, AValidProfileGivesEverySetting) {
  const ctl::ParsedProfile profile = ctl::ParseProfile(kValidProfile);
  ASSERT_TRUE(profile.settings) << profile.error;
  const quorvel::PrinterSettings s = ctl::Applied(quorvel::PrinterSettings{}, *profile.settings);
  EXPECT_EQ(quorvel::SettingsBatch(s), "SENSORTYPE 1\r\nSUPPORT 1\r\nUSBHANDC\r\nLIMITED 10010710\r\n");
}

TEST(Profile, WhatIsSavedReadsBackTheSame) {
  quorvel::PrinterSettings s;
  s.sensorType = 2;
  s.compatibility = true;
  s.externalPower = false;
  s.offsetIndex = 20;
  s.frontSensorOff = true;
  const ctl::Json saved = ctl::ProfileJson(s, {"/dev/usb/lp1", "Vollenby LP-420B", "1000", "1.5", "2018-06-07", true});
  EXPECT_EQ(saved["settings"]["offset_mm"], 20);
  EXPECT_EQ(saved["settings"]["sensor"], "continuous");
  EXPECT_EQ(saved["source"]["model"], "Vollenby LP-420B");
  const ctl::ParsedProfile back = ctl::ParseProfile(saved.dump());
  ASSERT_TRUE(back.settings) << back.error;
  EXPECT_EQ(ctl::Applied(quorvel::PrinterSettings{}, *back.settings), s);
}

std::string Edited(const std::string& from, const std::string& to) {
  std::string text = kValidProfile;
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(Profile, EveryFlawIsRefusedWithItsName) {
  const std::pair<std::string, std::string> cases[] = {
      {"{ not json", "not JSON"},
      {"[1, 2]", "no JSON object"},
      {Edited("quorvelctl-profile", "something-else"), "\"format\""},
      {Edited("\"version\": 1", "\"version\": 2"), "profile version 2"},
      {Edited("\"offset_mm\": -14,", ""), "settings.offset_mm is missing"},
      {Edited("\"offset_mm\": -14", "\"offset_mm\": -15"), "settings.offset_mm is -15"},
      {Edited("\"offset_mm\": -14", "\"offset_mm\": 22"), "settings.offset_mm is 22"},
      {Edited("\"offset_mm\": -14", "\"offset_mm\": \"-14\""), "settings.offset_mm is \"-14\""},
      {Edited("\"offset_mm\": -14", "\"offset_mm\": -14.0"), "settings.offset_mm is -14.0"},
      {Edited("\"black_mark\"", "\"blackmark\""), "settings.sensor is \"blackmark\""},
      {Edited("\"speed_limit\": true", "\"speed_limit\": \"on\""), "settings.speed_limit is \"on\""},
      {Edited("\"speed_limit\": true", "\"speed_limit\": 1"), "settings.speed_limit is 1"},
      {Edited("\"speed_limit\"", "\"speed_limt\""), "settings.speed_limt is not a setting"},
      {Edited("\"settings\": {", "\"settings\": 3, \"x\": {"), "no \"settings\" object"},
      // Numbers no double holds: the parser's own refusal, never an abort.
      {Edited("\"black_mark\"", "1E999"), "number overflow"},
      {Edited("\"offset_mm\": -14", "\"offset_mm\": -1e400"), "number overflow"},
  };
  for (const auto& [text, error] : cases) {
    const ctl::ParsedProfile profile = ctl::ParseProfile(text);
    EXPECT_FALSE(profile.settings) << text;
    EXPECT_NE(profile.error.find(error), std::string::npos) << profile.error << " -- wanted: " << error;
  }
}

}  // namespace
