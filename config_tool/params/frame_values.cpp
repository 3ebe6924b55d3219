#include "config_tool/params/frame_values.h"

#include "config_tool/params/frame_layout.h"

namespace quorvel {

FrameValues ValuesOf(Frame frame) {
  using namespace frame_layout;
  FrameValues values;
  values.productId = ReportedProduct(frame);
  values.firmwareVersion = FrameText(frame, kVersion, 1) + "." + FrameText(frame, kVersion + 1, 1);
  values.firmwareDate = "20" + FrameText(frame, kDate, 2) + "-" + FrameText(frame, kDate + 2, 2) + "-" +
                        FrameText(frame, kDate + 4, 2);
  values.gapThreshold = FrameText(frame, kGapThreshold, 4);
  values.paperAd = FrameText(frame, kPaperAd, 4);
  values.gapAd = FrameText(frame, kGapAd, 4);
  values.printPosition = FrameText(frame, kStartPosition, 3);
  values.cutPosition = FrameText(frame, kCutPosition, 3);
  values.printLength = FrameText(frame, kPrintLength, 8);
  values.voltage = FrameText(frame, kVoltage, 2);
  values.temperature = FrameText(frame, kTemperature, 3);
  if (HasExtendedLayout(frame)) {
    values.frontSensorThreshold = FrameText(frame, kFrontThreshold, 4);
    values.frontSensorPaperAd = FrameText(frame, kFrontPaperAd, 4);
  }
  return values;
}

std::string FrameHex(Frame frame) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * frame.size());
  for (uint8_t byte : frame) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

}  // namespace quorvel
