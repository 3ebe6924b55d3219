// How long one frame takes to decode and one settings batch to compose.
#include <benchmark/benchmark.h>

#include <array>

#include "config_tool/params/command_set.h"
#include "config_tool/params/parameter_frame.h"

namespace {

std::array<uint8_t, 64> SampleFrame() {
  std::array<uint8_t, 64> frame;
  frame.fill('0');
  frame[0] = frame[63] = '@';
  const char text[] = "151806072000";
  for (size_t i = 0; i < 12; ++i) frame[1 + i] = static_cast<uint8_t>(text[i]);
  const char mark[] = "20171106";
  for (size_t i = 0; i < 8; ++i) frame[34 + i] = static_cast<uint8_t>(mark[i]);
  frame[14] = 1;
  frame[59] = 11;
  return frame;
}

void DecodeFrame(benchmark::State& state) {
  const auto frame = SampleFrame();
  for (auto _ : state) {
    std::string report = quorvel::ReportText(frame, true, "KESTRAMO K-108");
    quorvel::ReportedSettings settings = quorvel::SettingsOf(frame);
    benchmark::DoNotOptimize(report);
    benchmark::DoNotOptimize(settings);
  }
}
BENCHMARK(DecodeFrame);

void ComposeBatch(benchmark::State& state) {
  quorvel::PrinterSettings settings;
  settings.sensorType = 1;
  settings.offsetIndex = 7;
  for (auto _ : state) {
    std::string batch = quorvel::SettingsBatch(settings);
    benchmark::DoNotOptimize(batch);
  }
}
BENCHMARK(ComposeBatch);

}  // namespace

BENCHMARK_MAIN();
