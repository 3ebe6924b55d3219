// One "RETURN VALUE" exchange, and the frame as `read --json` shows it.
#include <gtest/gtest.h>

#include "cli/frame_exchange.h"
#include "cli/frame_report.h"
#include "tests/ctl/simulated_printer.h"

namespace {

using namespace std::chrono_literals;

const std::string kPath = "/dev/usb/lp0";

struct Exchange : ::testing::Test {
  fakes::FakePrinterDevices devices;
  std::shared_ptr<ctl_test::SimulatedPrinter> printer = ctl_test::Attach(devices, kPath);

  ctl::FrameRead Read(std::chrono::milliseconds timeout = 500ms) {
    platform::OpenFailure failure;
    auto connection = devices.Open(kPath, failure);
    return ctl::ReadParameterFrame(*connection, timeout);
  }
};

TEST_F(Exchange, SendsTheQueryAndTakesTheFrame) {
  ASSERT_FALSE(printer->state.Set("pid", "2000"));
  const ctl::FrameRead read = Read();
  ASSERT_EQ(read.outcome, ctl::FrameRead::Received);
  EXPECT_EQ(*read.frame, printer->state.Frame());
  EXPECT_EQ(ctl_test::Text(devices.At(kPath).Received()), "RETURN VALUE\r\n");
}

TEST_F(Exchange, LeftoversOfAnEarlierAnswerAreDroppedFirst) {
  devices.At(kPath).unread = {'@', '1', '2'};
  const ctl::FrameRead read = Read();
  ASSERT_EQ(read.outcome, ctl::FrameRead::Received);
  EXPECT_EQ(devices.At(kPath).discards, 1);
  EXPECT_EQ(read.received.size(), 64u);
}

TEST_F(Exchange, BytesBeforeTheFrameArePassedOver) {
  devices.At(kPath).respond = [this](std::span<const uint8_t> bytes) {
    std::vector<uint8_t> answer = {0x00, 0x40, 0x13};
    std::vector<uint8_t> frame = printer->Respond(bytes);
    answer.insert(answer.end(), frame.begin(), frame.end());
    return answer;
  };
  const ctl::FrameRead read = Read();
  ASSERT_EQ(read.outcome, ctl::FrameRead::Received);
  EXPECT_EQ(*read.frame, printer->state.Frame());
}

TEST_F(Exchange, ASilentPrinterIsNoAnswer) {
  printer->silent = true;
  const ctl::FrameRead read = Read(30ms);
  EXPECT_EQ(read.outcome, ctl::FrameRead::NoAnswer);
  EXPECT_EQ(ctl::FrameReadProblem(read, kPath, 2500ms), kPath + ": the printer did not answer within 2.5 s");
}

TEST_F(Exchange, AnAnswerWithoutItsEndMarkerIsNotAFrame) {
  devices.At(kPath).respond = [this](std::span<const uint8_t> bytes) {
    std::vector<uint8_t> answer = printer->Respond(bytes);
    answer[63] = 0;
    return answer;
  };
  const ctl::FrameRead read = Read(30ms);
  EXPECT_EQ(read.outcome, ctl::FrameRead::NotAFrame);
  EXPECT_EQ(read.received.size(), 64u);
  EXPECT_NE(ctl::FrameReadProblem(read, kPath, 2s).find("64 byte(s) within 2 s, but no parameter frame"),
            std::string::npos);
}

TEST_F(Exchange, AFailedWriteIsSaidSo) {
  devices.At(kPath).failWrites = true;
  EXPECT_EQ(Read().outcome, ctl::FrameRead::WriteFailed);
}

TEST(FindFrame, TheFirst64BytesBetweenMarkers) {
  std::vector<uint8_t> bytes(70, '0');
  EXPECT_FALSE(ctl::FindFrame(bytes));
  bytes[3] = bytes[66] = '@';
  EXPECT_EQ(ctl::FindFrame(bytes), 3u);
  EXPECT_FALSE(ctl::FindFrame(std::span(bytes).first(66)));
}

ctl::FrameBytes SimulatorFrame(const std::vector<std::pair<std::string, std::string>>& fields) {
  printer_sim::PrinterState state;
  for (const auto& [name, value] : fields) EXPECT_FALSE(state.Set(name, value)) << name;
  return state.Frame();
}

TEST(ReportJson, FieldsNamedAndTypedAsDocumented) {
  const ctl::FrameBytes frame = SimulatorFrame({{"pid", "2000"}, {"sensor_type", "1"}, {"offset_index", "12"},
                                                {"speed_limit", "1"}, {"external_power", "0"}, {"voltage", "12"}});
  const ctl::Json json = ctl::ReportJson(frame, "/dev/usb/lp3");
  const std::vector<std::string> names = {
      "device", "model", "product_id", "firmware_version", "firmware_date", "usb_handshake", "sensor",
      "driver_compatibility", "gap_threshold", "paper_ad", "gap_ad", "print_position", "cut_position",
      "print_length", "speed_limit", "voltage", "temperature", "front_sensor_threshold", "front_sensor_paper_ad",
      "front_sensor_fitted", "external_power", "head_protection", "offset_mm", "constant_density",
      "front_sensor_off", "raw"};
  std::vector<std::string> keys;
  for (const auto& item : json.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, names);
  EXPECT_EQ(json["device"], "/dev/usb/lp3");
  EXPECT_EQ(json["model"], "KESTRAMO K-108");
  EXPECT_EQ(json["product_id"], "2000");
  EXPECT_EQ(json["firmware_version"], "1.5");
  EXPECT_EQ(json["firmware_date"], "2018-06-07");
  EXPECT_EQ(json["sensor"], "black_mark");
  EXPECT_EQ(json["usb_handshake"], true);
  EXPECT_EQ(json["speed_limit"], true);
  EXPECT_EQ(json["external_power"], false);
  EXPECT_EQ(json["offset_mm"], 4);
  EXPECT_EQ(json["voltage"], "12");
  EXPECT_EQ(json["temperature"], "036");
  EXPECT_EQ(json["front_sensor_threshold"], "0120");
  EXPECT_EQ(json["raw"].get<std::string>().size(), 128u);
  EXPECT_EQ(json["raw"].get<std::string>().substr(0, 6), "403135");
}

TEST(ReportJson, APlainFrameHasNoExtendedFieldsAndAnOddOffsetIsNull) {
  const ctl::Json plain = ctl::ReportJson(SimulatorFrame({{"print_length", "00012345"}, {"sensor_type", "48"}}), "d");
  for (const char* name : {"front_sensor_threshold", "front_sensor_paper_ad", "front_sensor_fitted", "external_power",
                           "head_protection", "offset_mm"}) {
    EXPECT_FALSE(plain.contains(name)) << name;
  }
  EXPECT_EQ(plain["sensor"], "continuous");  // the character "0" is not the value 0
  EXPECT_EQ(plain["print_length"], "00012345");
  const ctl::Json odd = ctl::ReportJson(SimulatorFrame({{"offset_index", "21"}}), "d");
  EXPECT_TRUE(odd["offset_mm"].is_null());
}

TEST(ReportText, UnknownProductsShowEmptyParentheses) {
  const ctl::FrameBytes frame = SimulatorFrame({{"pid", "ABCD"}});
  EXPECT_EQ(ctl::ReportedModel(frame), "");
  EXPECT_NE(ctl::ReportLines(frame, ctl::Language::English).find("USBPID:ABCD()\n"), std::string::npos);
  EXPECT_EQ(ctl::ReportLines(frame, ctl::Language::Chinese).find('\r'), std::string::npos);
}

}  // namespace
