// Grey raster rows become the printable width's one-bit rows, centred; pages that cannot be printed say why; a page
// sent while it is encoded is the page encoded whole.
#include <gtest/gtest.h>

#include "config_tool/raster/cut_command.h"
#include "config_tool/raster/grey_rows.h"
#include "config_tool/raster/page_encoder.h"

namespace {

using quorvel::DitherMatrix;

DitherMatrix Uniform(uint8_t value) {
  DitherMatrix matrix;
  for (auto& row : matrix) row.fill(value);
  return matrix;
}

// The printed dots of a converted row, as '#' and '.'.
std::string Dots(std::span<const uint8_t> row, uint32_t width) {
  std::string dots;
  for (uint32_t x = 0; x < width; ++x) dots += (row[x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
  return dots;
}

TEST(GreyRows, RowsAreCentredOnTheMediumAndDithered) {
  struct Case {
    const char* what;
    std::vector<uint8_t> grey;
    uint32_t printable;
    bool blackIsHigh;
    uint8_t matrix;
    std::string dots;
  };
  const std::vector<Case> cases = {
      {"wider: cropped around the middle", {0, 255, 0, 0, 255, 0}, 2, false, 128, "##"},
      {"wider by an odd count: one more on the right", {0, 255, 255, 0, 0}, 2, false, 128, ".."},
      {"narrower: white around it", {0, 0}, 6, false, 128, "..##.."},
      {"device black: 0 is white", {0, 255, 128, 126}, 4, true, 128, ".##."},
      {"white never gets a dot, whatever the matrix", {255, 255}, 2, false, 255, ".."},
      {"full black always does", {0, 0}, 2, false, 0, "##"},
      {"grey against the matrix", {100, 200}, 2, false, 128, "#."},
      {"a width that is not a multiple of 8", std::vector<uint8_t>(11, 0), 11, false, 128, "###########"},
  };
  for (const Case& c : cases) {
    quorvel::GreyRowConverter rows(static_cast<uint32_t>(c.grey.size()), c.printable, c.blackIsHigh,
                                   Uniform(c.matrix));
    const auto row = rows.Convert(c.grey, 0);
    EXPECT_EQ(row.size(), quorvel::BytesPerRow(c.printable)) << c.what;
    EXPECT_EQ(Dots(row, c.printable), c.dots) << c.what;
  }
}

TEST(GreyRows, PagesThatCannotBePrintedSayWhy) {
  const quorvel::GreyPageShape good{799, 1198, 8, 799, 203, 203, false};
  auto with = [&](auto change) {
    quorvel::GreyPageShape page = good;
    change(page);
    return quorvel::GreyPageProblem(page, 203);
  };
  EXPECT_EQ(quorvel::GreyPageProblem(good, 203), "");
  EXPECT_EQ(with([](auto& p) { p.width = p.bytesPerLine = 2400; }), "");  // wider than any medium, cropped
  EXPECT_NE(with([](auto& p) { p.bitsPerPixel = 1; }).find("1 bits a pixel"), std::string::npos);
  EXPECT_NE(with([](auto& p) { p.bytesPerLine = 800; }).find("damaged"), std::string::npos);
  EXPECT_NE(with([](auto& p) { p.height = 0; }).find("damaged"), std::string::npos);
  EXPECT_NE(with([](auto& p) { p.xDpi = 300; }).find("300x203 dpi"), std::string::npos);
  EXPECT_NE(with([](auto& p) { p.width = p.bytesPerLine = 2401; }).find("2401 dots wide"), std::string::npos);
  EXPECT_NE(with([](auto& p) { p.height = 80000; }).find("10009 mm long"), std::string::npos);
}

TEST(PageEncoderStreaming, APageSentWhileItIsEncodedIsThePageEncodedWhole) {
  // 98-byte rows: black runs longer than a 32 KB block, white runs, black to the end.
  const uint32_t width = 783;
  const size_t rowBytes = quorvel::BytesPerRow(width);
  std::vector<uint8_t> rows;
  for (int y = 0; y < 1200; ++y) rows.resize(rows.size() + rowBytes, (y % 500) < 400 ? 0xA5 : 0x00);
  for (const auto paper : {quorvel::PaperKind::Labels, quorvel::PaperKind::Roll}) {
    std::vector<uint8_t> out, sent;
    quorvel::PageEncoder page(width, paper, out);
    for (size_t at = 0; at < rows.size(); at += rowBytes) {
      page.AddRow(std::span(rows).subspan(at, rowBytes));
      if (page.SettledBytes() > 1000) {
        sent.insert(sent.end(), out.begin(), out.begin() + static_cast<long>(page.SettledBytes()));
        page.DropSettled();
      }
    }
    page.End();
    sent.insert(sent.end(), out.begin(), out.end());
    EXPECT_EQ(sent, quorvel::EncodePage(width, paper, rows));
  }
}

}  // namespace

namespace {

TEST(CommandStream, AJobCutAnywhereIsFinishedSoThatTheNextJobStartsBetweenCommands) {
  // A page with feeds and two raster blocks, then the job's end.
  std::vector<uint8_t> rows;
  const uint32_t width = 20;  // 3 bytes a row
  for (int y = 0; y < 30; ++y) rows.insert(rows.end(), {uint8_t(y % 10 < 6 ? 0xF0 : 0), 0, uint8_t(y)});
  std::vector<uint8_t> job{0x1B, '@'};
  const auto page = quorvel::EncodePage(width, quorvel::PaperKind::Labels, rows);
  job.insert(job.end(), page.begin(), page.end());
  job.insert(job.end(), {0x1B, '@'});
  for (size_t cut = 0; cut <= job.size(); ++cut) {
    quorvel::CommandStream printer;
    printer.Took(std::span(job).first(cut));
    const std::vector<uint8_t> completion = printer.Completion();
    quorvel::CommandStream after;
    after.Took(std::span(job).first(cut));
    after.Took(completion);
    EXPECT_TRUE(after.Completion().empty()) << "cut at " << cut;
    // Nothing is invented: only zeros (white, no feed), or the J of a feed of nothing.
    for (size_t i = 0; i < completion.size(); ++i) {
      EXPECT_TRUE(completion[i] == 0 || (i == 0 && completion[i] == 'J')) << "cut at " << cut;
    }
  }
  // A block of 6 rows of 3 bytes cut after its header and 4 raster bytes owes the other 14.
  quorvel::CommandStream printer;
  printer.Took(std::vector<uint8_t>{0x1D, 'v', '0', 0, 3, 0, 6, 0, 1, 2, 3, 4});
  EXPECT_EQ(printer.Completion(), std::vector<uint8_t>(14, 0));
  quorvel::CommandStream inHeader;
  inHeader.Took(std::vector<uint8_t>{0x1D, 'v', '0', 0, 3, 0, 6});  // the rows' high byte missing
  EXPECT_EQ(inHeader.Completion(), std::vector<uint8_t>(1 + 18, 0));
}

}  // namespace
