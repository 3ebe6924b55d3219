#pragma once
// The simulated printer's parameters: every field of the 64-byte frame it answers "RETURN VALUE" with.
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace printer_sim {

struct Field {
  std::string_view name;
  size_t position;  // first byte in the frame
  size_t width;
  bool raw;         // a byte value (given in decimal), not characters
};

// Fields in frame order.
const std::vector<Field>& Fields();
const Field* FindField(std::string_view name);

class PrinterState {
 public:
  PrinterState();

  // Sets a field from its text form; returns an error text when the value does not fit the field.
  std::optional<std::string> Set(std::string_view name, std::string_view value);
  std::string Get(std::string_view name) const;

  std::array<uint8_t, 64> Frame() const;

  // Applies one received command line (without its line end). False when the printer does not know it.
  bool Apply(std::string_view line);

  // A setting this printer does not take: commands accept it and leave the field as it is.
  std::optional<std::string> Ignore(std::string_view name);

  // "key=value" lines, one per field.
  std::string Dump() const;

 private:
  // Sets a field from a command, unless the printer ignores it.
  void Take(std::string_view name, std::string_view value);

  std::array<uint8_t, 64> bytes_{};
  std::set<std::string, std::less<>> ignored_;
};

// Splits received bytes into lines at LF; a CR before the LF is dropped. Keeps a partial line for later.
class LineSplitter {
 public:
  std::vector<std::string> Feed(std::string_view bytes);

 private:
  std::string pending_;
};

}  // namespace printer_sim
