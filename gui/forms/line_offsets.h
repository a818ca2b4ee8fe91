#pragma once
// Where each line of the line list begins as assistive technology counts it (UTF-16 units over the
// lines joined by breaks). A screen reader asks for the caret's offset on every key press; summing
// every line before the caret made each arrow key in a list of a million lines cost that million.
// Starts are kept for every kBlock-th line, built only as far as a question reaches and dropped
// from the first changed line on, so that an answer sums at most a block of lines and the table
// costs an eighth of a byte a line.
#include <QtGlobal>
#include <cstddef>
#include <vector>

#include "common/editable_lines.h"

namespace korrin {

class TLineOffsets {
 public:
  explicit TLineOffsets(const TEditableLines& Lines) : FLines(Lines) {}

  // Where Line begins; Line is below the count of lines.
  qint64 LineStart(size_t Line) const;
  // The last line beginning at or before Offset (the first for a negative one, never past the last
  // line), and where it begins.
  struct TLineAt {
    size_t Line = 0;
    qint64 Start = 0;
  };
  TLineAt LineAt(qint64 Offset) const;
  // The lines from Line on changed: starts after it are measured anew when asked for.
  void Invalidate(size_t Line);

 private:
  static constexpr size_t kBlock = 64;
  // Measures the start of the next block.
  void Extend() const;

  const TEditableLines& FLines;
  // FStarts[b] is where line b * kBlock begins, for the blocks measured since the last change.
  mutable std::vector<qint64> FStarts{0};
};

}  // namespace korrin
