#include <gtest/gtest.h>

#include <array>

#include "config_tool/params/parameter_frame.h"

namespace {

void Put(std::array<uint8_t, 64>& frame, size_t position, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) frame[position + i] = static_cast<uint8_t>(text[i]);
}

// A frame as a printer sends it: extended layout, gap sensor, USB handshake on, the rest off.
std::array<uint8_t, 64> MakeFrame() {
  std::array<uint8_t, 64> frame;
  frame.fill('0');
  frame[0] = frame[63] = '@';
  Put(frame, 1, "15180607" "1000" "1");
  frame[14] = 0;
  Put(frame, 16, "015002000100" "000000" "20171106");
  Put(frame, 43, "24036" "01200180" "111");
  frame[59] = 0;
  return frame;
}

TEST(ParameterFrame, AcceptsOnlyFramesWithBothMarkers) {
  auto frame = MakeFrame();
  EXPECT_TRUE(quorvel::IsCompleteFrame(frame));
  frame[63] = 'X';
  EXPECT_FALSE(quorvel::IsCompleteFrame(frame));
  EXPECT_FALSE(quorvel::IsCompleteFrame(std::span<const uint8_t>(frame.data(), 63)));
}

TEST(ParameterFrame, ChineseReportOfAnExtendedFrame) {
  auto frame = MakeFrame();
  std::string report = quorvel::ReportText(frame, true, "KESTRAMO K-108");
  EXPECT_EQ(report,
            "数据读取OK\r\n软件版本：V1.5\r\n程序发布日期：2018-06-07\r\nUSBPID:1000(KESTRAMO K-108)\r\n"
            "USB握手:打开\r\n传感器类型：缝隙\r\n驱动兼容性：关闭\r\n缝隙AD阀值:0150\r\n"
            "当前纸张AD值（对位后产生）:0200\r\n当前缝隙AD值（对位后产生）:0100\r\n打印起始位置:000\r\n撕纸位置:000\r\n"
            "打印长度:20171106\r\n速度限制：关闭\r\n电源电压(误差正负1V):24V\r\n打印头当前温度值:036摄氏度\r\n"
            "前传感器阀AD阀值:0120\r\n前传感器有纸AD阀值（对位后产生）:0180\r\n外部传感器：有\r\n"
            "打印机芯：外置电源\r\n打印机头保护：有\r\n固定浓度：关闭\r\n强制关闭前传感器功能：关闭\r\n");
}

TEST(ParameterFrame, EnglishReportOfAnExtendedFrame) {
  auto frame = MakeFrame();
  EXPECT_EQ(quorvel::ReportText(frame, false, "KESTRAMO K-108"),
            "Read correct!\r\nSofeware Version：V1.5\r\nSofeware publish date：2018-06-07\r\n"
            "USBPID:1000(KESTRAMO K-108)\r\nUSB hand:open\r\nSensor type：GAP\r\nsofeware compatible：close\r\n"
            "GAP AD value(Save):0150\r\nPaper AD value:0200\r\nGAP value current:0100\r\nPrint position:000\r\n"
            "Cut Position:000\r\nPrint Length:20171106\r\nspeed limited：clsoe\r\nPower voltage:24V\r\n"
            "printer head temprature:036degree centigrade\r\nhead sensor AD value level(Save):0120\r\n"
            "head sensor AD value current:0180\r\nhead sensor：have\r\nprinter type：outside power\r\n"
            "Printer head protect circuit：have\r\nconst dengsity：close\r\nOut sensor：Open\r\n");
}

// Every flag of MakeFrame turned the other way, and the black mark sensor: the second text of each pair.
std::array<uint8_t, 64> OppositeFrame() {
  auto frame = MakeFrame();
  for (size_t position : {13, 15, 42, 56, 57, 58, 60, 61}) frame[position] = frame[position] == '0' ? '1' : '0';
  frame[14] = 1;
  return frame;
}

TEST(ParameterFrame, ChineseReportOfTheOppositeFlags) {
  EXPECT_EQ(quorvel::ReportText(OppositeFrame(), true, ""),
            "数据读取OK\r\n软件版本：V1.5\r\n程序发布日期：2018-06-07\r\nUSBPID:1000()\r\n"
            "USB握手:关闭\r\n传感器类型：黑标\r\n驱动兼容性：打开\r\n缝隙AD阀值:0150\r\n"
            "当前纸张AD值（对位后产生）:0200\r\n当前缝隙AD值（对位后产生）:0100\r\n打印起始位置:000\r\n撕纸位置:000\r\n"
            "打印长度:20171106\r\n速度限制：打开\r\n电源电压(误差正负1V):24V\r\n打印头当前温度值:036摄氏度\r\n"
            "前传感器阀AD阀值:0120\r\n前传感器有纸AD阀值（对位后产生）:0180\r\n外部传感器：无\r\n"
            "打印机芯：内置电源\r\n打印机头保护：无\r\n固定浓度：打开\r\n强制关闭前传感器功能：打开\r\n");
}

TEST(ParameterFrame, EnglishReportOfTheOppositeFlags) {
  EXPECT_EQ(quorvel::ReportText(OppositeFrame(), false, ""),
            "Read correct!\r\nSofeware Version：V1.5\r\nSofeware publish date：2018-06-07\r\nUSBPID:1000()\r\n"
            "USB hand:close\r\nSensor type：black mark\r\nsofeware compatible：open\r\n"
            "GAP AD value(Save):0150\r\nPaper AD value:0200\r\nGAP value current:0100\r\nPrint position:000\r\n"
            "Cut Position:000\r\nPrint Length:20171106\r\nspeed limited：open\r\nPower voltage:24V\r\n"
            "printer head temprature:036degree centigrade\r\nhead sensor AD value level(Save):0120\r\n"
            "head sensor AD value current:0180\r\nHead sensor：none\r\nPrinter type：inner power\r\n"
            "Printer head protect circuit：none\r\nconst dengsity：open\r\nOut sensor：closed\r\n");
}

TEST(ParameterFrame, SensorLineOfEachValueInBothLanguages) {
  const struct {
    uint8_t value;
    const char* chinese;
    const char* english;
  } sensors[] = {{0, "传感器类型：缝隙", "Sensor type：GAP"},
                 {1, "传感器类型：黑标", "Sensor type：black mark"},
                 {2, "传感器类型：连续打印", "Sensor type：continuous"},
                 {'0', "传感器类型：连续打印", "Sensor type：continuous"}};
  for (const auto& sensor : sensors) {
    auto frame = MakeFrame();
    frame[14] = sensor.value;
    EXPECT_NE(quorvel::ReportText(frame, true, "").find(std::string("\r\n") + sensor.chinese + "\r\n"),
              std::string::npos)
        << int{sensor.value};
    EXPECT_NE(quorvel::ReportText(frame, false, "").find(std::string("\r\n") + sensor.english + "\r\n"),
              std::string::npos)
        << int{sensor.value};
  }
}

TEST(ParameterFrame, EnglishReportWithoutTheExtendedBlock) {
  auto frame = MakeFrame();
  Put(frame, 34, "00012345");
  frame[14] = '0';  // the character, not the value 0: continuous paper
  Put(frame, 60, "11");
  std::string report = quorvel::ReportText(frame, false, "");
  EXPECT_NE(report.find("Sofeware Version：V1.5\r\nSofeware publish date：2018-06-07\r\nUSBPID:1000()\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("Sensor type：continuous\r\n"), std::string::npos);
  EXPECT_NE(report.find("printer head temprature:036degree centigrade\r\nconst dengsity：open\r\nOut sensor：closed\r\n"),
            std::string::npos);
  EXPECT_EQ(report.find("head sensor"), std::string::npos);
  EXPECT_FALSE(quorvel::SettingsOf(frame).extended);
  EXPECT_EQ(quorvel::SettingsOf(frame).sensorOption, 2);
}

TEST(ParameterFrame, SettingsFollowTheFlagsAndRawValues) {
  auto frame = MakeFrame();
  for (size_t position : {13, 15, 42, 56, 57, 58, 60, 61}) frame[position] = '1';
  frame[14] = 1;
  frame[59] = 11;
  auto settings = quorvel::SettingsOf(frame);
  EXPECT_TRUE(settings.usbHandshake && settings.compatibility && settings.speedLimit && settings.frontSensor &&
              settings.externalPower && settings.headProtection && settings.constantDensity &&
              settings.frontSensorOff);
  EXPECT_EQ(settings.sensorOption, 1);
  EXPECT_EQ(settings.offsetIndex, 11);
  frame[59] = 21;
  EXPECT_FALSE(quorvel::SettingsOf(frame).offsetIndex);
}

TEST(ParameterFrame, BytesOutsidePrintableAsciiShowVisibly) {
  auto frame = MakeFrame();
  frame[1] = 0xB5;
  frame[2] = '\r';
  std::string report = quorvel::ReportText(frame, true, "");
  EXPECT_NE(report.find("软件版本：V\\xB5.\\x0D\r\n程序发布日期"), std::string::npos);
}

}  // namespace
