#include "gui/forms/line_offsets.h"

#include <QString>
#include <algorithm>
#include <string_view>

namespace korrin {
namespace {

// A line's UTF-16 units: its bytes when it is ASCII, as nearly every line of addresses is.
qint64 Units(std::string_view line) {
  if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return static_cast<qint64>(line.size());
  return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).size();
}

}  // namespace

void TLineOffsets::Extend() const {
  const size_t first = (FStarts.size() - 1) * kBlock;
  qint64 start = FStarts.back();
  for (size_t i = first; i < first + kBlock; ++i) start += Units(FLines[i]) + 1;
  FStarts.push_back(start);
}

qint64 TLineOffsets::LineStart(size_t Line) const {
  const size_t block = Line / kBlock;
  while (FStarts.size() <= block) Extend();
  qint64 start = FStarts[block];
  for (size_t i = block * kBlock; i < Line; ++i) start += Units(FLines[i]) + 1;
  return start;
}

TLineOffsets::TLineAt TLineOffsets::LineAt(qint64 Offset) const {
  Offset = std::max<qint64>(Offset, 0);
  // Blocks are measured until one begins past Offset or no whole block is left.
  while (FStarts.back() <= Offset && FStarts.size() * kBlock < FLines.size()) Extend();
  const size_t block = size_t(std::upper_bound(FStarts.begin(), FStarts.end(), Offset) - FStarts.begin()) - 1;
  TLineAt at{block * kBlock, FStarts[block]};
  while (at.Line + 1 < FLines.size()) {
    const qint64 next = at.Start + Units(FLines[at.Line]) + 1;
    if (next > Offset) break;
    at.Start = next;
    ++at.Line;
  }
  return at;
}

void TLineOffsets::Invalidate(size_t Line) {
  // The start of Line itself still holds: only lines before it count towards it.
  FStarts.resize(std::min(FStarts.size(), Line / kBlock + 1));
}

}  // namespace korrin
