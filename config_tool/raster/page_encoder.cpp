#include "config_tool/raster/page_encoder.h"

#include <algorithm>
#include <cstring>

namespace quorvel {
namespace {

constexpr uint8_t kEsc = 0x1B, kGs = 0x1D, kFormFeed = 0x0C;

void Append(std::vector<uint8_t>& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }

// Any dot set among `bytes`, eight bytes at a time, 32 between looks: the encoder looks at every byte of a white
// row, and a row with black usually shows it in its first bytes.
bool AnySet(const uint8_t* bytes, size_t count) {
  size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    uint64_t words[4];
    std::memcpy(words, bytes + i, 32);
    if ((words[0] | words[1] | words[2] | words[3]) != 0) return true;
  }
  uint64_t any = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    any |= word;
  }
  for (; i < count; ++i) any |= bytes[i];
  return any != 0;
}

}  // namespace

PageEncoder::PageEncoder(uint32_t widthDots, PaperKind paper, std::vector<uint8_t>& out)
    : rowBytes_(BytesPerRow(widthDots)),
      // The dots of the last byte that lie inside the width; the rest are padding, never printed.
      lastByteMask_(widthDots % 8 == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - widthDots % 8))),
      paper_(paper),
      out_(out) {
  Append(out_, {kEsc, '@'});  // each page starts from the printer's defaults
}

void PageEncoder::AddRow(std::span<const uint8_t> row) {
  if (ended_ || rowBytes_ == 0) return;
  const size_t given = std::min(row.size(), rowBytes_);
  const bool lastGiven = given == rowBytes_;
  const bool black = AnySet(row.data(), lastGiven ? given - 1 : given) ||
                     (lastGiven && (row[given - 1] & lastByteMask_) != 0);
  if (!black) {
    // Held back: a run of white is one feed, and a roll's white after its last printed row is never fed.
    FlushBlock();
    ++whiteRows_;
    return;
  }
  if (whiteRows_ > 0) {
    // A receipt starts at its first printed row.
    if (paper_ == PaperKind::Labels || printed_) Feed(whiteRows_);
    whiteRows_ = 0;
  }
  if ((blockRows_ + 1) * rowBytes_ > kMaxBlockBytes) FlushBlock();
  if (blockRows_ == 0) {
    // The rows go straight after the header; their count is filled in when the block ends.
    blockStart_ = out_.size();
    Append(out_, {kGs, 'v', '0', 0, static_cast<uint8_t>(rowBytes_ & 0xFF), static_cast<uint8_t>(rowBytes_ >> 8), 0,
                  0});
  }
  const size_t start = out_.size();
  out_.insert(out_.end(), row.begin(), row.begin() + static_cast<long>(given));
  out_.resize(start + rowBytes_, 0);  // a short row is white to its end
  out_.back() &= lastByteMask_;
  ++blockRows_;
  printed_ = true;
}

void PageEncoder::End() {
  if (ended_) return;
  ended_ = true;
  FlushBlock();
  if (paper_ == PaperKind::Roll && printed_) Feed(kRollEndMarginRows);
  // A label's white to its end is left to FF, which moves to the next label as the driver's page end does.
  Append(out_, {kFormFeed});
}

void PageEncoder::DropSettled() {
  const size_t settled = SettledBytes();
  out_.erase(out_.begin(), out_.begin() + static_cast<long>(settled));
  if (blockRows_ > 0) blockStart_ -= settled;
}

void PageEncoder::FlushBlock() {
  if (blockRows_ == 0) return;
  out_[blockStart_ + 6] = static_cast<uint8_t>(blockRows_ & 0xFF);
  out_[blockStart_ + 7] = static_cast<uint8_t>(blockRows_ >> 8);
  blockRows_ = 0;
}

void PageEncoder::Feed(uint32_t rows) {
  while (rows > 0) {
    const uint32_t step = std::min(rows, kMaxFeedRows);
    Append(out_, {kEsc, 'J', static_cast<uint8_t>(step)});
    rows -= step;
  }
}

std::vector<uint8_t> EncodePage(uint32_t widthDots, PaperKind paper, std::span<const uint8_t> rows) {
  std::vector<uint8_t> out;
  out.reserve(rows.size() + rows.size() / 64 + 64);  // the rows, their block headers and feeds
  PageEncoder page(widthDots, paper, out);
  const size_t rowBytes = BytesPerRow(widthDots);
  for (size_t at = 0; rowBytes > 0 && at + rowBytes <= rows.size(); at += rowBytes) {
    page.AddRow(rows.subspan(at, rowBytes));
  }
  page.End();
  return out;
}

}  // namespace quorvel
