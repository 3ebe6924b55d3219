// Any send box text in hex and in text mode. With -DSTRETCH_TO_LIMIT every text is repeated up to just below, at
// or just above the 3,000,001-byte buffer (the fuzz_send_limit target).
#include "config_tool/console/console_encoding.h"
#include "platform/fakes/fake_services.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

quorvel::SendBuffer& Buffer() {
  static quorvel::SendBuffer buffer;  // 3 MB: made once
  return buffer;
}

std::string Stretched(std::string_view piece, size_t wanted) {
  std::string text;
  if (piece.empty()) return text;
  text.reserve(wanted + piece.size());
  while (text.size() < wanted) text += piece;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t mode = input.Byte();
  std::string text(input.Rest());
#ifdef STRETCH_TO_LIMIT
  text = Stretched(text, quorvel::kSendBufferSize - 2 + mode % 5);
#else
  (void)mode;
  (void)&Stretched;
#endif

  quorvel::SendBuffer& buffer = Buffer();
  buffer.Restart();
  if (quorvel::EncodeHexMode(text, buffer)) fuzz::Expect(buffer.Filled().size() <= (text.size() + 1) / 2);
  fuzz::Expect(buffer.Filled().size() <= quorvel::kSendBufferSize);

  fakes::FakeTextCodec codec;
  buffer.Restart();
  if (quorvel::EncodeTextMode(codec, text, buffer)) fuzz::Expect(buffer.Filled().size() <= text.size());
  fuzz::Expect(buffer.Filled().size() <= quorvel::kSendBufferSize);
  return 0;
}
