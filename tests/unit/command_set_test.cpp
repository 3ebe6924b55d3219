#include <gtest/gtest.h>

#include "config_tool/params/command_set.h"

namespace {

using quorvel::PrinterSettings;

TEST(CommandSet, ReturnValueIsFourteenBytes) {
  EXPECT_EQ(quorvel::ToBytes(quorvel::CommandLine("RETURN VALUE")),
            (std::vector<uint8_t>{0x52, 0x45, 0x54, 0x55, 0x52, 0x4E, 0x20, 0x56, 0x41, 0x4C, 0x55, 0x45, 0x0D, 0x0A}));
}

TEST(CommandSet, DefaultSettingsGiveTheFiftyThreeByteBatch) {
  PrinterSettings settings;
  settings.sensorType = 0;
  std::string batch = quorvel::SettingsBatch(settings);
  EXPECT_EQ(batch, "SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110000\r\n");
  EXPECT_EQ(batch.size(), 53u);
}

TEST(CommandSet, EveryLimitedCharacterHasItsPlace) {
  PrinterSettings settings{2, true, false, true, false, false, false, 20, true, true};
  EXPECT_EQ(quorvel::LimitedArgument(settings), "10002011");
  settings.offsetIndex = 7;
  EXPECT_EQ(quorvel::LimitedArgument(settings).substr(4, 2), "07");
  settings.offsetIndex = 11;
  EXPECT_EQ(quorvel::LimitedArgument(settings).substr(4, 2), "11");
  EXPECT_EQ(quorvel::SettingsBatch(settings).substr(0, 26), "SENSORTYPE 2\r\nSUPPORT 1\r\nU");
}

TEST(CommandSet, NoSensorChoiceSendsABareLineEnd) {
  PrinterSettings settings;
  std::string batch = quorvel::SettingsBatch(settings);
  EXPECT_EQ(batch.substr(0, 2), "\r\n");
  EXPECT_EQ(batch.size(), 41u);
}

}  // namespace
