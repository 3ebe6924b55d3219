// Any 64 bytes as the printer's answer, in either language: the report, the settings and the product.
#include <array>

#include "config_tool/params/parameter_frame.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const bool chinese = input.Byte() & 1;
  std::array<uint8_t, quorvel::kFrameSize> bytes{};
  std::vector<uint8_t> given = input.Bytes(bytes.size());
  std::copy(given.begin(), given.end(), bytes.begin());
  const quorvel::Frame frame(bytes);

  (void)quorvel::IsCompleteFrame(given);
  const std::string report = quorvel::ReportText(frame, chinese, "KESTRAMO K-108");
  // Bytes outside printable ASCII are escaped, so the report never holds a raw control byte but CR LF.
  for (char c : report) fuzz::Expect(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n');
  const quorvel::ReportedSettings settings = quorvel::SettingsOf(frame);
  fuzz::Expect(settings.sensorOption >= 0 && settings.sensorOption <= 2);
  if (settings.offsetIndex) fuzz::Expect(*settings.offsetIndex >= 0 && *settings.offsetIndex <= 20);
  fuzz::Expect(quorvel::ReportedProduct(frame).size() <= 4 * 4);
  return 0;
}
