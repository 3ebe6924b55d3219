#include "print_app/usb_printer_uri.h"

#include <cctype>

namespace print_app {
namespace {

// Percent-escapes what is not a plain URI character, so that a serial with '&' or ' ' cannot split the query.
std::string Escaped(std::string_view text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Unescaped(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string UsbPrinterUri(const ctl::AttachedPrinter& printer) {
  std::string uri = std::string(kUsbScheme) + "://" + Escaped(printer.location);
  if (!printer.serial.empty()) uri += "?serial=" + Escaped(printer.serial);
  return uri;
}

std::optional<ctl::AttachedPrinter> FindUsbPrinter(const std::vector<ctl::AttachedPrinter>& printers,
                                                   std::string_view uri) {
  const std::string prefix = std::string(kUsbScheme) + "://";
  if (uri.substr(0, prefix.size()) != prefix) return std::nullopt;
  uri.remove_prefix(prefix.size());
  const size_t query = uri.find('?');
  const std::string location = Unescaped(uri.substr(0, query));
  std::string serial;
  if (query != std::string_view::npos && uri.substr(query + 1, 7) == "serial=") {
    serial = Unescaped(uri.substr(query + 8));
  }
  for (const ctl::AttachedPrinter& printer : printers) {
    if (!serial.empty() ? printer.serial == serial : printer.location == location && !location.empty()) return printer;
  }
  return std::nullopt;
}

std::string AutoPrinterName(const ctl::AttachedPrinter& printer) {
  std::string name;
  for (const char c : (printer.model.empty() ? std::string("Quorvel") : printer.model) + "_" +
                          (printer.serial.empty() ? printer.location : printer.serial)) {
    name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
  }
  return name.substr(0, 127);
}

std::string DeviceIdOf(std::string_view model) {
  return "MFG:Quorvel;MDL:" + std::string(model.empty() ? "thermal printer" : model) + ";CMD:ESC/POS;CLS:PRINTER;";
}

}  // namespace print_app
