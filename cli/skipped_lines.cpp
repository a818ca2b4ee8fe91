#include "cli/skipped_lines.h"

#include <iostream>

#include "common/text.h"

namespace korrin::cli {

void TSkippedLineWarnings::Add(int64_t line, std::string_view text, std::string_view reason) {
  if (FCount++ < kShown) std::cerr << "line " << line << " skipped: " << Trim(text) << ": " << reason << '\n';
}

TSkippedLineWarnings::~TSkippedLineWarnings() {
  if (FCount > kShown) std::cerr << "... and " << FormatCount(FCount - kShown) << " more " << FWhat << " skipped\n";
  std::cerr.flush();
}

}  // namespace korrin::cli
