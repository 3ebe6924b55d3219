// Throughput of the console's firmware path: an image to its hex and character texts, and the hex text back to
// bytes. Rates are in image bytes per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config_tool/console/console_encoding.h"

namespace {

constexpr size_t kImageSize = 3'000'000;

std::vector<uint8_t> Image() {
  std::vector<uint8_t> image(kImageSize);
  uint32_t state = 12345;
  for (uint8_t& byte : image) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return image;
}

void ImageToHexText(benchmark::State& state) {
  const std::vector<uint8_t> image = Image();
  for (auto _ : state) {
    std::string hex;
    quorvel::AppendHexText(image, hex);
    benchmark::DoNotOptimize(hex.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(ImageToHexText)->Unit(benchmark::kMillisecond);

void ImageToCharacterText(benchmark::State& state) {
  const std::vector<uint8_t> image = Image();
  for (auto _ : state) {
    std::string characters;
    quorvel::AppendCharacterText(image, characters);
    benchmark::DoNotOptimize(characters.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(ImageToCharacterText)->Unit(benchmark::kMillisecond);

void HexTextToBytes(benchmark::State& state) {
  std::string hex;
  quorvel::AppendHexText(Image(), hex);
  quorvel::SendBuffer buffer;
  for (auto _ : state) {
    buffer.Restart();
    bool ok = quorvel::EncodeHexMode(hex, buffer);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(HexTextToBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
