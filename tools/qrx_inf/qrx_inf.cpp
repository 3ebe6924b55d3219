// qrx_inf: writes the driver package's INF file from the installer's product data, so that the models it
// offers are exactly the names the programs install.   qrx_inf OUTPUT.inf
// The file is UTF-16LE with a byte-order mark and CR LF line ends, as Windows wants an INF with Chinese names.
#include <cstdio>
#include <fstream>
#include <string>

#include "driver_installer/driver_models.h"

// DriverVer: the date of the package and a version that follows the programs' (set by CMake from the project).
#ifndef QRX_DRIVER_VERSION
#error "QRX_DRIVER_VERSION must be defined"
#endif
#define QRX_DRIVER_DATE "12/08/2026"

namespace {

constexpr const char* kHead = R"(; QRX.inf: printer drivers of the Quorvel thermal label and receipt printers.
; Every model uses Windows' Unidrv with QRX203.GPD (203 dpi, one-bit raster).
; Written by tools/qrx_inf from the installer's model table; do not edit by hand.

[Version]
Signature="$Windows NT$"
Class=Printer
ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}
Provider=%Maker%
CatalogFile=QRX.cat
DriverVer=)" QRX_DRIVER_DATE "," QRX_DRIVER_VERSION R"(

; x64, x86 and ARM64 Windows; an ARM64 laptop runs x64 programs but looks for an NTarm64 models section.
[Manufacturer]
%Maker%=Quorvel,NTamd64,NTx86,NTarm64

)";

constexpr const char* kTail = R"(
[QRX_THERMAL]
CopyFiles=QRX_GPD
DataSection=UNIDRV_DATA
DataFile=QRX203.GPD
Include=NTPRINT.INF
Needs=UNIDRV.OEM

[QRX_GPD]
QRX203.GPD

[DestinationDirs]
DefaultDestDir=66000

[SourceDisksNames]
1=%Disk%,,,

[SourceDisksFiles]
QRX203.GPD=1

[Strings]
Maker="Quorvel"
Disk="Quorvel thermal printer drivers"
)";

std::string ModelsSection(const std::string& name) {
  std::string section = "[" + name + "]\n";
  for (const std::string& model : omblet::OfferedDriverModels()) section += "\"" + model + "\"=QRX_THERMAL\n";
  return section + "\n";
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    char32_t code = byte;
    size_t length = 1;
    if (byte >= 0xF0) {
      code = byte & 0x07;
      length = 4;
    } else if (byte >= 0xE0) {
      code = byte & 0x0F;
      length = 3;
    } else if (byte >= 0xC0) {
      code = byte & 0x1F;
      length = 2;
    }
    for (size_t k = 1; k < length && i + k < text.size(); ++k) code = (code << 6) | (text[i + k] & 0x3F);
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qrx_inf OUTPUT.inf\n");
    return 2;
  }
  std::string text = std::string(kHead) + ModelsSection("Quorvel.NTamd64") + ModelsSection("Quorvel.NTx86") +
                     ModelsSection("Quorvel.NTarm64") + kTail;
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::u16string wide = u"\uFEFF" + Utf8ToUtf16(crlf);
  std::ofstream out(argv[1], std::ios::binary);
  for (char16_t unit : wide) {
    out.put(static_cast<char>(unit & 0xFF));
    out.put(static_cast<char>(unit >> 8));
  }
  return out ? 0 : 1;
}
