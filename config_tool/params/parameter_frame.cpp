#include "config_tool/params/parameter_frame.h"

#include <cstdio>

#include "config_tool/params/frame_layout.h"

namespace quorvel {
namespace {

using namespace frame_layout;

// Flags are the character "0" for off; any other byte is on.
bool On(Frame frame, size_t position) { return frame[position] != '0'; }

struct Texts {
  std::string_view chinese, english;
};

class Report {
 public:
  Report(Frame frame, bool chinese) : frame_(frame), chinese_(chinese) {}

  Report& Pair(const Texts& texts) {
    text_ += chinese_ ? texts.chinese : texts.english;
    return *this;
  }
  Report& Text(std::string_view same) {
    text_ += same;
    return *this;
  }
  Report& Field(size_t first, size_t count) {
    text_ += FrameText(frame_, first, count);
    return *this;
  }
  Report& Choice(size_t position, const Texts& off, const Texts& on) { return Pair(On(frame_, position) ? on : off); }
  void EndLine() { text_ += "\r\n"; }
  std::string Take() { return std::move(text_); }

 private:
  Frame frame_;
  bool chinese_;
  std::string text_;
};

}  // namespace

bool IsCompleteFrame(std::span<const uint8_t> bytes) {
  return bytes.size() >= kFrameSize && bytes[0] == kFrameMarker && bytes[kFrameSize - 1] == kFrameMarker;
}

std::optional<size_t> FindFrame(std::span<const uint8_t> bytes) {
  for (size_t at = 0; at + kFrameSize <= bytes.size(); ++at) {
    if (IsCompleteFrame(bytes.subspan(at))) return at;
  }
  return std::nullopt;
}

std::string FrameText(Frame frame, size_t first, size_t count) {
  std::string text;
  for (size_t i = first; i < first + count && i < frame.size(); ++i) {
    uint8_t byte = frame[i];
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

std::string ReportedProduct(Frame frame) { return FrameText(frame, kProduct, 4); }

bool HasExtendedLayout(Frame frame) {
  return std::string_view(reinterpret_cast<const char*>(frame.data()) + kPrintLength, 8) == kExtendedLayoutMark;
}

ReportedSettings SettingsOf(Frame frame) {
  ReportedSettings settings;
  settings.usbHandshake = On(frame, kHandshake);
  settings.sensorOption = frame[kSensor] == 0 ? 0 : frame[kSensor] == 1 ? 1 : 2;
  settings.compatibility = On(frame, kCompatibility);
  settings.speedLimit = On(frame, kSpeedLimit);
  settings.extended = HasExtendedLayout(frame);
  if (settings.extended) {
    settings.frontSensor = On(frame, kFrontSensor);
    settings.externalPower = On(frame, kExternalPower);
    settings.headProtection = On(frame, kHeadProtection);
  }
  if (frame[kOffset] <= 20) settings.offsetIndex = frame[kOffset];
  settings.constantDensity = On(frame, kDensity);
  settings.frontSensorOff = On(frame, kFrontSensorOff);
  return settings;
}

std::string ReportText(Frame frame, bool chinese, std::string_view model) {
  Report r(frame, chinese);
  r.Pair({"数据读取OK", "Read correct!"}).EndLine();
  r.Pair({"软件版本：V", "Sofeware Version：V"}).Field(kVersion, 1).Text(".").Field(kVersion + 1, 1).EndLine();
  r.Pair({"程序发布日期：20", "Sofeware publish date：20"})
      .Field(kDate, 2).Text("-").Field(kDate + 2, 2).Text("-").Field(kDate + 4, 2).EndLine();
  r.Text("USBPID:").Field(kProduct, 4).Text("(").Text(model).Text(")").EndLine();
  r.Choice(kHandshake, {"USB握手:关闭", "USB hand:close"}, {"USB握手:打开", "USB hand:open"}).EndLine();
  switch (frame[kSensor]) {
    case 0: r.Pair({"传感器类型：缝隙", "Sensor type：GAP"}); break;
    case 1: r.Pair({"传感器类型：黑标", "Sensor type：black mark"}); break;
    default: r.Pair({"传感器类型：连续打印", "Sensor type：continuous"}); break;
  }
  r.EndLine();
  r.Choice(kCompatibility, {"驱动兼容性：关闭", "sofeware compatible：close"},
           {"驱动兼容性：打开", "sofeware compatible：open"}).EndLine();
  r.Pair({"缝隙AD阀值:", "GAP AD value(Save):"}).Field(kGapThreshold, 4).EndLine();
  r.Pair({"当前纸张AD值（对位后产生）:", "Paper AD value:"}).Field(kPaperAd, 4).EndLine();
  r.Pair({"当前缝隙AD值（对位后产生）:", "GAP value current:"}).Field(kGapAd, 4).EndLine();
  r.Pair({"打印起始位置:", "Print position:"}).Field(kStartPosition, 3).EndLine();
  r.Pair({"撕纸位置:", "Cut Position:"}).Field(kCutPosition, 3).EndLine();
  r.Pair({"打印长度:", "Print Length:"}).Field(kPrintLength, 8).EndLine();
  r.Choice(kSpeedLimit, {"速度限制：关闭", "speed limited：clsoe"}, {"速度限制：打开", "speed limited：open"}).EndLine();
  r.Pair({"电源电压(误差正负1V):", "Power voltage:"}).Field(kVoltage, 2).Text("V").EndLine();
  r.Pair({"打印头当前温度值:", "printer head temprature:"})
      .Field(kTemperature, 3).Pair({"摄氏度", "degree centigrade"}).EndLine();
  if (HasExtendedLayout(frame)) {
    r.Pair({"前传感器阀AD阀值:", "head sensor AD value level(Save):"}).Field(kFrontThreshold, 4).EndLine();
    r.Pair({"前传感器有纸AD阀值（对位后产生）:", "head sensor AD value current:"}).Field(kFrontPaperAd, 4).EndLine();
    r.Choice(kFrontSensor, {"外部传感器：无", "Head sensor：none"}, {"外部传感器：有", "head sensor：have"}).EndLine();
    r.Choice(kExternalPower, {"打印机芯：内置电源", "Printer type：inner power"},
             {"打印机芯：外置电源", "printer type：outside power"}).EndLine();
    r.Choice(kHeadProtection, {"打印机头保护：无", "Printer head protect circuit：none"},
             {"打印机头保护：有", "Printer head protect circuit：have"}).EndLine();
  }
  r.Choice(kDensity, {"固定浓度：关闭", "const dengsity：close"}, {"固定浓度：打开", "const dengsity：open"}).EndLine();
  r.Choice(kFrontSensorOff, {"强制关闭前传感器功能：关闭", "Out sensor：Open"},
           {"强制关闭前传感器功能：打开", "Out sensor：closed"}).EndLine();
  return r.Take();
}

}  // namespace quorvel
