// Throughput of the page encoder on a 100 x 150 mm label (783 x 1199 dots at 203 dpi), in raster bytes per second,
// beside a plain copy of the same bytes: the encoder should never be what a print job waits for.
// On the 2-core build machine, idle, Release: 15.8 GB/s, against 61-63 GB/s for the copy of the page in cache
// (3.9x); the printer application's grey path (GreyLabelToPrinterBytes) 285 MB/s of grey rows, 3.2 ms a label. A
// full-speed USB link carries about 1 MB/s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "config_tool/raster/grey_rows.h"
#include "config_tool/raster/page_encoder.h"

namespace {

constexpr uint32_t kWidthDots = 783;
constexpr size_t kRows = 1199;

// A label as printed: a third white, the rest text-like black and white.
std::vector<uint8_t> Label() {
  std::vector<uint8_t> page(quorvel::BytesPerRow(kWidthDots) * kRows, 0);
  uint32_t state = 12345;
  for (size_t i = page.size() / 3; i < page.size(); ++i) {
    state = state * 1103515245u + 12345u;
    page[i] = static_cast<uint8_t>(state >> 16) & 0x3C;
  }
  return page;
}

void EncodeLabel(benchmark::State& state) {
  const std::vector<uint8_t> page = Label();
  for (auto _ : state) {
    std::vector<uint8_t> bytes = quorvel::EncodePage(kWidthDots, quorvel::PaperKind::Labels, page);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(EncodeLabel);

void CopyLabel(benchmark::State& state) {
  const std::vector<uint8_t> page = Label();
  for (auto _ : state) {
    std::vector<uint8_t> copy(page.size());
    std::memcpy(copy.data(), page.data(), page.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(CopyLabel);

// The printer application's whole path from the 8-bit grey rows PAPPL hands over (the medium's 799 dots) to the
// printer's bytes: crop, dither, encode. Bytes processed are the grey input's.
void GreyLabelToPrinterBytes(benchmark::State& state) {
  constexpr uint32_t kMediumDots = 799;
  std::vector<uint8_t> grey(kMediumDots * kRows, 255);
  uint32_t seed = 12345;
  for (size_t i = grey.size() / 3; i < grey.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    grey[i] = (seed >> 16) & 1 ? 0 : 255;
  }
  quorvel::DitherMatrix dither;
  for (size_t i = 0; i < 256; ++i) dither[i / 16][i % 16] = static_cast<uint8_t>(i);
  for (auto _ : state) {
    std::vector<uint8_t> out;
    quorvel::GreyRowConverter rows(kMediumDots, kWidthDots, false, dither);
    quorvel::PageEncoder page(kWidthDots, quorvel::PaperKind::Labels, out);
    for (size_t y = 0; y < kRows; ++y) {
      page.AddRow(rows.Convert(std::span(grey).subspan(y * kMediumDots, kMediumDots), static_cast<uint32_t>(y)));
    }
    page.End();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * grey.size()));
}
BENCHMARK(GreyLabelToPrinterBytes);

}  // namespace

BENCHMARK_MAIN();
