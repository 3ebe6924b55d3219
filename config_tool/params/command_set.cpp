#include "config_tool/params/command_set.h"

namespace quorvel {

std::string CommandLine(std::string_view text) {
  std::string line(text);
  line += kLineEnd;
  return line;
}

std::vector<uint8_t> ToBytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string LimitedArgument(const PrinterSettings& settings) {
  auto flag = [](bool on) { return on ? '1' : '0'; };
  int offset = settings.offsetIndex >= 0 && settings.offsetIndex <= 99 ? settings.offsetIndex : 0;
  std::string argument;
  argument += flag(settings.speedLimit);
  argument += flag(settings.frontSensor);
  argument += flag(settings.externalPower);
  argument += flag(settings.headProtection);
  argument += static_cast<char>('0' + offset / 10);
  argument += static_cast<char>('0' + offset % 10);
  argument += flag(settings.constantDensity);
  argument += flag(settings.frontSensorOff);
  return argument;
}

std::string SettingsBatch(const PrinterSettings& settings) {
  std::string batch;
  batch.reserve(64);
  if (settings.sensorType >= 0 && settings.sensorType <= 2) {
    batch += command::kSensorType;
    batch += ' ';
    batch += static_cast<char>('0' + settings.sensorType);
  }
  batch += kLineEnd;
  batch += command::kSupport;
  batch += settings.compatibility ? " 1" : " 0";
  batch += kLineEnd;
  batch += settings.usbHandshake ? command::kUsbHandshakeOn : command::kUsbHandshakeOff;
  batch += kLineEnd;
  batch += command::kLimited;
  batch += ' ';
  batch += LimitedArgument(settings);
  batch += kLineEnd;
  return batch;
}

}  // namespace quorvel
