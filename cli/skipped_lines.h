#pragma once
// The warning every command gives for an input line it leaves out, so that no typo goes unseen:
// "line N skipped: TEXT: REASON" on standard error, the first kShown of them, then a count.
#include <cstdint>
#include <string_view>

namespace korrin::cli {

class TSkippedLineWarnings {
 public:
  static constexpr int64_t kShown = 20;
  explicit TSkippedLineWarnings(std::string_view what) : FWhat(what) {}
  ~TSkippedLineWarnings();
  TSkippedLineWarnings(const TSkippedLineWarnings&) = delete;
  TSkippedLineWarnings& operator=(const TSkippedLineWarnings&) = delete;

  void Add(int64_t line, std::string_view text, std::string_view reason);
  // Lines left out beyond those added, counted elsewhere.
  void AddUnseen(int64_t count) { FCount += count; }

 private:
  std::string_view FWhat;  // "range lines", "lines"
  int64_t FCount = 0;
};

}  // namespace korrin::cli
