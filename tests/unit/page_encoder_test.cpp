// A one-bit page in the bytes the printers' Windows driver sends for it.
#include <gtest/gtest.h>

#include "config_tool/raster/page_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A page `rowBytes` wide whose rows are white except those given, each filled with its byte.
Bytes Page(size_t rowBytes, size_t rows, std::initializer_list<std::pair<size_t, uint8_t>> filled) {
  Bytes page(rowBytes * rows, 0);
  for (auto [row, byte] : filled) std::fill_n(page.begin() + static_cast<long>(row * rowBytes), rowBytes, byte);
  return page;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Block(uint8_t xL, uint8_t xH, uint8_t yL, uint8_t yH, Bytes dots) {
  return Cat({{0x1D, 0x76, 0x30, 0x00, xL, xH, yL, yH}, dots});
}

TEST(PageEncoder, PagesInTheDriversBytes) {
  Bytes line98(98, 0xFF);
  line98.back() = 0xFE;  // 783 dots: the last bit of a row is outside the width
  struct Case {
    const char* what;
    uint32_t width;
    quorvel::PaperKind paper;
    Bytes page;
    Bytes expected;
  };
  const Case cases[] = {
      {"a white label is only its start and its end", 783, quorvel::PaperKind::Labels, Page(98, 40, {}),
       {0x1B, 0x40, 0x0C}},
      {"a white receipt feeds nothing", 576, quorvel::PaperKind::Roll, Page(72, 40, {}), {0x1B, 0x40, 0x0C}},
      {"a black line 50 rows down a 100 mm label", 783, quorvel::PaperKind::Labels, Page(98, 80, {{50, 0xFF}}),
       Cat({{0x1B, 0x40, 0x1B, 0x4A, 50}, Block(98, 0, 1, 0, line98), {0x0C}})},
      {"white longer than one feed goes in feeds of 255", 16, quorvel::PaperKind::Labels,
       Page(2, 603, {{0, 0x81}, {602, 0x18}}),
       {0x1B, 0x40, 0x1D, 0x76, 0x30, 0x00, 2, 0, 1, 0, 0x81, 0x81, 0x1B, 0x4A, 255, 0x1B, 0x4A, 255, 0x1B, 0x4A, 91,
        0x1D, 0x76, 0x30, 0x00, 2, 0, 1, 0, 0x18, 0x18, 0x0C}},
      {"a receipt starts at its first black row and ends a margin after its last", 16, quorvel::PaperKind::Roll,
       Page(2, 300, {{100, 0xF0}, {101, 0x0F}, {105, 0xFF}}),
       {0x1B, 0x40, 0x1D, 0x76, 0x30, 0x00, 2, 0, 2, 0, 0xF0, 0xF0, 0x0F, 0x0F, 0x1B, 0x4A, 3,
        0x1D, 0x76, 0x30, 0x00, 2, 0, 1, 0, 0xFF, 0xFF, 0x1B, 0x4A, 24, 0x0C}},
      // 13 dots: two bytes a row, of which the last three dots of the second lie outside the width.
      {"dots right of a width not a multiple of 8 never print", 13, quorvel::PaperKind::Labels,
       Bytes{0x00, 0x07, 0x00, 0x00, 0xFF, 0xFF},
       {0x1B, 0x40, 0x1B, 0x4A, 2, 0x1D, 0x76, 0x30, 0x00, 2, 0, 1, 0, 0xFF, 0xF8, 0x0C}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(quorvel::EncodePage(c.width, c.paper, c.page), c.expected);
  }
}

// 400 black rows of 98 bytes are 39,200 bytes: one block of the 334 rows that fit in 32 KB, then the other 66.
TEST(PageEncoder, BlackRunsAreSplitIntoBlocksOfAtMost32KB) {
  Bytes page(98 * 400);
  for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 7 + 1) | 0x01;
  const Bytes bytes = quorvel::EncodePage(784, quorvel::PaperKind::Labels, page);
  const Bytes first(page.begin(), page.begin() + 98 * 334), second(page.begin() + 98 * 334, page.end());
  EXPECT_EQ(bytes, Cat({{0x1B, 0x40}, Block(98, 0, 334 & 0xFF, 334 >> 8, first), Block(98, 0, 66, 0, second),
                        {0x0C}}));
}

// A row shorter than the width is white to its end; rows given after the page's end change nothing.
TEST(PageEncoder, AShortRowIsPaddedAndNothingFollowsTheEnd) {
  Bytes out;
  quorvel::PageEncoder page(16, quorvel::PaperKind::Labels, out);
  page.AddRow(Bytes{0x80});  // one byte of two: the rest is white
  page.End();
  page.AddRow(Bytes{0xFF, 0xFF});
  page.End();
  EXPECT_EQ(out, (Bytes{0x1B, 0x40, 0x1D, 0x76, 0x30, 0x00, 2, 0, 1, 0, 0x80, 0x00, 0x0C}));
}

}  // namespace
