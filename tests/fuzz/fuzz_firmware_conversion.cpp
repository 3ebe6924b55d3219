// Any file as the console loads it: its hex text sends back exactly the file, its character text is one per byte.
#include "config_tool/console/console_encoding.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);
  std::string hex, characters;
  quorvel::AppendHexText(image, hex);
  quorvel::AppendCharacterText(image, characters);
  fuzz::Expect(hex.size() == 3 * size);
  fuzz::Expect(characters.size() == size);
  for (char c : characters) fuzz::Expect(c != '\0' && c != '\r' && c != '\n' && static_cast<unsigned char>(c) < 0x80);

  static quorvel::SendBuffer buffer;
  buffer.Restart();
  fuzz::Expect(quorvel::EncodeHexMode(hex, buffer));
  fuzz::Expect(std::equal(image.begin(), image.end(), buffer.Filled().begin(), buffer.Filled().end()));
  return 0;
}
