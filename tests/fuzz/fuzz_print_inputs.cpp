// The printer application's outside inputs: a client's PWG raster (read with CUPS as PAPPL reads it, then checked,
// cropped, dithered and encoded as the driver does), a PNG file's chunks, a device URI and a kernel socket table.
// The first byte chooses which.
#include <cups/raster.h>

#include <algorithm>
#include <cstring>

#include "config_tool/raster/grey_rows.h"
#include "config_tool/raster/page_encoder.h"
#include "config_tool/raster/paper_families.h"
#include "print_app/local_peer.h"
#include "print_app/png_resolution.h"
#include "print_app/usb_printer_uri.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Enough rows of each page to reach every path of the encoder; the rest are read past, as the driver would read
// them, without encoding them.
constexpr unsigned kRowsEncoded = 96;

struct Stream {
  const uint8_t* data;
  size_t size, at = 0;
};

ssize_t ReadStream(void* context, unsigned char* buffer, size_t bytes) {
  auto* stream = static_cast<Stream*>(context);
  const size_t count = std::min(bytes, stream->size - stream->at);
  if (count == 0) return 0;
  std::memcpy(buffer, stream->data + stream->at, count);
  stream->at += count;
  return static_cast<ssize_t>(count);
}

// libcups allocates a line of the size the header states before anyone can look at it (4 GB for a crafted header:
// the server survives it, as an allocation that fails or that is never touched, but the fuzzer counts it as
// running out of memory). Such headers are left to that; the rest go through. One page each, for the same reason.
bool StatesAHugeLine(const uint8_t* data, size_t size) {
  constexpr size_t kBytesPerLine = 4 + 392;
  if (size < kBytesPerLine + 4) return false;
  const uint8_t* field = data + kBytesPerLine;
  const bool bigEndian = data[0] == 'R';
  const uint32_t value = bigEndian ? uint32_t{field[0]} << 24 | field[1] << 16 | field[2] << 8 | field[3]
                                   : uint32_t{field[3]} << 24 | field[2] << 16 | field[1] << 8 | field[0];
  return value > (1u << 20);
}

void Raster(const uint8_t* data, size_t size) {
  if (StatesAHugeLine(data, size)) return;
  Stream stream{data, size};
  cups_raster_t* raster = cupsRasterOpenIO(ReadStream, &stream, CUPS_RASTER_READ);
  if (!raster) return;
  const quorvel::PaperFamily& family = quorvel::PaperFamilies()[size % quorvel::PaperFamilies().size()];
  cups_page_header2_t header;
  if (cupsRasterReadHeader2(raster, &header)) {
    unsigned space;  // any number a client sent, not only the enumeration's
    std::memcpy(&space, &header.cupsColorSpace, sizeof space);
    const quorvel::GreyPageShape shape{header.cupsWidth,        header.cupsHeight,       header.cupsBitsPerPixel,
                                       header.cupsBytesPerLine, header.HWResolution[0], header.HWResolution[1],
                                       space == CUPS_CSPACE_K};
    if (!quorvel::GreyPageProblem(shape, quorvel::kPrinterDpi).empty()) {
      cupsRasterClose(raster);
      return;
    }
    quorvel::DitherMatrix dither;
    for (size_t i = 0; i < 256; ++i) dither[i / 16][i % 16] = static_cast<uint8_t>(i * 97);
    quorvel::GreyRowConverter rows(header.cupsWidth, family.printableDots, shape.blackIsHigh, dither);
    std::vector<uint8_t> out, line(header.cupsBytesPerLine);
    quorvel::PageEncoder encoder(family.printableDots, family.paper, out);
    for (unsigned y = 0; y < std::min(header.cupsHeight, kRowsEncoded); ++y) {
      if (cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) == 0) break;
      encoder.AddRow(rows.Convert(line, y));
      if (encoder.SettledBytes() > 4096) encoder.DropSettled();
    }
    encoder.End();
    if (out.empty() || out.back() != 0x0C) __builtin_trap();  // every page ends with FF
  }
  cupsRasterClose(raster);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t choice = input.Byte();
  const std::string_view rest = input.Rest();
  const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
  switch (choice % 4) {
    case 0:
      Raster(bytes, rest.size());
      break;
    case 1:
      print_app::PngPixelsPerInch({bytes, rest.size()});
      break;
    case 2: {
      const ctl::AttachedPrinter printer{"/dev/bus/usb/001/002", "1A86", "1000", "", {}, "S1", "1-1"};
      print_app::FindUsbPrinter({printer}, rest);
      print_app::UsbPrinterUri({"", "", "", "", {}, std::string(rest), std::string(rest)});
      break;
    }
    default:
      print_app::SocketOwner(rest, 0xC350, 0x21CA);
  }
  return 0;
}
