#include "cli/sysfs_printer_source.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "config_tool/text_util.h"

namespace ctl {
namespace {

namespace fs = std::filesystem;

// The first line of a small sysfs attribute, without its line end; nothing when it cannot be read.
std::optional<std::string> ReadAttribute(const fs::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Four hexadecimal digits, upper case; empty for anything else.
std::string HexId(const std::optional<std::string>& text) {
  if (!text || text->size() != 4) return {};
  for (char c : *text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
  }
  return quorvel::ToUpperAscii(*text);
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::optional<unsigned> LpNumber(std::string_view name) {
  if (!name.starts_with("lp") || name.size() == 2) return std::nullopt;
  unsigned number = 0;
  const char* first = name.data() + 2;
  const char* last = name.data() + name.size();
  auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || end != last) return std::nullopt;
  return number;
}

std::optional<std::string> DevNameOf(std::string_view uevent) {
  size_t at = 0;
  while (at < uevent.size()) {
    size_t end = uevent.find('\n', at);
    if (end == std::string_view::npos) end = uevent.size();
    std::string_view line = uevent.substr(at, end - at);
    if (line.starts_with("DEVNAME=") && line.size() > 8) {
      std::string_view name = line.substr(8);
      // A name that climbs out of the device folder is not one the kernel gives.
      if (name.find("..") != std::string_view::npos || name.front() == '/') return std::nullopt;
      return std::string(name);
    }
    at = end + 1;
  }
  return std::nullopt;
}

std::vector<AttachedPrinter> SysfsPrinterSource::List() {
  std::vector<std::pair<unsigned, fs::path>> entries;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(sysRoot_ / "class" / "usbmisc", error)) {
    if (std::optional<unsigned> number = LpNumber(entry.path().filename().string())) {
      entries.emplace_back(*number, entry.path());
    }
  }
  std::sort(entries.begin(), entries.end());  // lp2 before lp10

  std::vector<AttachedPrinter> printers;
  for (const auto& [number, entry] : entries) {
    AttachedPrinter printer;
    const std::string name = entry.filename().string();
    printer.device = (devRoot_ / DevNameOf(ReadWhole(entry / "uevent")).value_or("usb/" + name)).string();
    // "device" is the USB interface; the USB device with its descriptors is the folder above it.
    std::error_code linkError;
    const fs::path interface = fs::canonical(entry / "device", linkError);
    if (!linkError) {
      const fs::path usbDevice = interface.parent_path();
      printer.vid = HexId(ReadAttribute(usbDevice / "idVendor"));
      printer.pid = HexId(ReadAttribute(usbDevice / "idProduct"));
      printer.serial = ReadAttribute(usbDevice / "serial").value_or("");
    }
    if (printer.vid.empty() || printer.pid.empty()) {
      platform::OpenFailure failure;
      if (auto connection = devices_.Open(printer.device, failure)) {
        if (std::optional<platform::UsbIds> ids = connection->DriverUsbIds()) {
          printer.vid = Hex4(ids->vendor);
          printer.pid = Hex4(ids->product);
        }
      }
    }
    printer.model = ModelNameOf(printer.vid, printer.pid);
    printers.push_back(std::move(printer));
  }
  return printers;
}

}  // namespace ctl
