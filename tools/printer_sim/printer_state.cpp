#include "tools/printer_sim/printer_state.h"

#include <charconv>

namespace printer_sim {

const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = {
      {"version", 1, 2, false},        {"date", 3, 6, false},           {"pid", 9, 4, false},
      {"usb_handshake", 13, 1, false}, {"sensor_type", 14, 1, true},    {"compat", 15, 1, false},
      {"gap_threshold", 16, 4, false}, {"paper_ad", 20, 4, false},      {"gap_ad", 24, 4, false},
      {"start_position", 28, 3, false}, {"cut_position", 31, 3, false}, {"print_length", 34, 8, false},
      {"speed_limit", 42, 1, false},   {"voltage", 43, 2, false},       {"temperature", 45, 3, false},
      {"front_threshold", 48, 4, false}, {"front_paper_ad", 52, 4, false}, {"front_sensor", 56, 1, false},
      {"external_power", 57, 1, false}, {"head_protection", 58, 1, false}, {"offset_index", 59, 1, true},
      {"density", 60, 1, false},       {"sensor_off", 61, 1, false},    {"byte62", 62, 1, true},
  };
  return fields;
}

const Field* FindField(std::string_view name) {
  for (const Field& field : Fields()) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

PrinterState::PrinterState() {
  bytes_.fill('0');
  bytes_[0] = bytes_[63] = 0x40;
  const std::pair<std::string_view, std::string_view> defaults[] = {
      {"version", "15"},        {"date", "180607"},       {"pid", "1000"},        {"usb_handshake", "1"},
      {"sensor_type", "0"},     {"compat", "0"},          {"gap_threshold", "0150"}, {"paper_ad", "0200"},
      {"gap_ad", "0100"},       {"start_position", "000"}, {"cut_position", "000"}, {"print_length", "20171106"},
      {"speed_limit", "0"},     {"voltage", "24"},        {"temperature", "036"}, {"front_threshold", "0120"},
      {"front_paper_ad", "0180"}, {"front_sensor", "1"},  {"external_power", "1"}, {"head_protection", "1"},
      {"offset_index", "0"},    {"density", "0"},         {"sensor_off", "0"},    {"byte62", "0"},
  };
  for (const auto& [name, value] : defaults) Set(name, value);
}

std::optional<std::string> PrinterState::Set(std::string_view name, std::string_view value) {
  const Field* field = FindField(name);
  if (!field) return "unknown field '" + std::string(name) + "'";
  if (field->raw) {
    unsigned number = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number > 255) {
      return "field '" + std::string(name) + "' takes a number 0..255, not '" + std::string(value) + "'";
    }
    bytes_[field->position] = static_cast<uint8_t>(number);
    return std::nullopt;
  }
  if (value.size() != field->width) {
    return "field '" + std::string(name) + "' takes exactly " + std::to_string(field->width) + " characters";
  }
  for (size_t i = 0; i < field->width; ++i) bytes_[field->position + i] = static_cast<uint8_t>(value[i]);
  return std::nullopt;
}

std::string PrinterState::Get(std::string_view name) const {
  const Field* field = FindField(name);
  if (!field) return {};
  if (field->raw) return std::to_string(bytes_[field->position]);
  return std::string(reinterpret_cast<const char*>(bytes_.data()) + field->position, field->width);
}

std::array<uint8_t, 64> PrinterState::Frame() const { return bytes_; }

namespace {
bool IsDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return !text.empty();
}
}  // namespace

bool PrinterState::Apply(std::string_view line) {
  if (line == "RETURN VALUE" || line == "PTESTPAGE" || line == "PROGRAME UPGRADE") return true;
  if (line == "USBHANDO" || line == "USBHANDC") {
    Take("usb_handshake", line == "USBHANDO" ? "1" : "0");
    return true;
  }
  if (line.starts_with("SENSORTYPE ")) {
    std::string_view digit = line.substr(11);
    if (!IsDigits(digit) || digit.size() != 1) return false;
    Take("sensor_type", digit);
    return true;
  }
  if (line == "SUPPORT 0" || line == "SUPPORT 1") {
    Take("compat", line.substr(8));
    return true;
  }
  if (line.starts_with("LIMITED ")) {
    std::string_view setting = line.substr(8);
    if (setting.size() != 8 || !IsDigits(setting)) return false;
    int offset = (setting[4] - '0') * 10 + (setting[5] - '0');
    Take("speed_limit", setting.substr(0, 1));
    Take("front_sensor", setting.substr(1, 1));
    Take("external_power", setting.substr(2, 1));
    Take("head_protection", setting.substr(3, 1));
    Take("offset_index", std::to_string(offset));
    Take("density", setting.substr(6, 1));
    Take("sensor_off", setting.substr(7, 1));
    return true;
  }
  return false;
}

std::optional<std::string> PrinterState::Ignore(std::string_view name) {
  if (!FindField(name)) return "unknown field '" + std::string(name) + "'";
  ignored_.emplace(name);
  return std::nullopt;
}

void PrinterState::Take(std::string_view name, std::string_view value) {
  if (!ignored_.contains(name)) Set(name, value);
}

std::string PrinterState::Dump() const {
  std::string text;
  for (const Field& field : Fields()) text += std::string(field.name) + "=" + Get(field.name) + "\n";
  return text;
}

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char c : bytes) {
    if (c != '\n') {
      pending_ += c;
      continue;
    }
    if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
    lines.push_back(std::move(pending_));
    pending_.clear();
  }
  return lines;
}

}  // namespace printer_sim
