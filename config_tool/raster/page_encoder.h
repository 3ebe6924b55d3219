#pragma once
// A one-bit page as the printers' Windows driver sends it, so that a label printed from anywhere else is the same
// label: ESC @ at the start of the job and of each page, ESC J n for white rows, GS v 0 raster blocks of at most
// 32 KB for rows with black, FF at the end of each page and ESC @ at the end of the job (the job's own ESC @ before
// and after its pages are the caller's).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

// The most raster bytes of one GS v 0 block.
inline constexpr size_t kMaxBlockBytes = 32 * 1024;
// The longest feed of one ESC J, in dot rows.
inline constexpr uint32_t kMaxFeedRows = 255;
// What a receipt on a roll feeds after its last printed row: 3 mm at 203 dpi, enough to tear it off clean.
inline constexpr uint32_t kRollEndMarginRows = 24;

constexpr size_t BytesPerRow(uint32_t widthDots) { return (widthDots + 7) / 8; }

enum class PaperKind {
  Labels,  // each page is one label or form: its white rows are fed, as the driver feeds them
  Roll,    // a receipt: no white fed above its first printed row, and only a small margin after its last
};

// One page, a row at a time. Rows are BytesPerRow(widthDots) bytes, eight dots a byte, the leftmost dot in the
// highest bit, black = 1; dots right of the width are ignored. The bytes go to the end of `out` as they are ready.
class PageEncoder {
 public:
  PageEncoder(uint32_t widthDots, PaperKind paper, std::vector<uint8_t>& out);

  void AddRow(std::span<const uint8_t> row);
  // Sends what is held back, then FF. Rows added afterwards are ignored.
  void End();

  // How many bytes at the start of `out` are final (all but an open block, whose row count is still to come), so
  // that a long page can go to the printer while it is being encoded; DropSettled takes them out of `out`.
  size_t SettledBytes() const { return blockRows_ > 0 ? blockStart_ : out_.size(); }
  void DropSettled();

 private:
  void FlushBlock();
  void Feed(uint32_t rows);

  size_t rowBytes_;
  uint8_t lastByteMask_;
  PaperKind paper_;
  std::vector<uint8_t>& out_;
  size_t blockStart_ = 0;       // where the open GS v 0 block's header begins in `out_`
  size_t blockRows_ = 0;        // rows in it so far; 0: no block open
  uint32_t whiteRows_ = 0;      // white rows since the last row with black, not yet fed
  bool printed_ = false;        // a row with black has been sent
  bool ended_ = false;
};

// One whole page, `rows` holding its rows one after the other; for tests and callers that hold the page.
std::vector<uint8_t> EncodePage(uint32_t widthDots, PaperKind paper, std::span<const uint8_t> rows);

}  // namespace quorvel
