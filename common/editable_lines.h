#pragma once
// The lines of an editable list of millions: the delivered lines stay in their one buffer, and an
// edit only rearranges references to lines, so that typing into line 500,000, deleting every
// line or shuffling them costs no copy of the text, and each edit can be undone. The history is
// bounded by the bytes it holds rather than by its steps: a Shuffle keeps only the seed that draws
// its order again, and the oldest steps go first when the history outgrows its budget.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "common/random.h"
#include "common/text_lines.h"

namespace korrin {

class TEditableLines {
 public:
  // The lines that one edit, undo or redo replaced: from First, Removed old ones by Inserted new.
  struct TChange {
    size_t First = 0;
    size_t Removed = 0;
    size_t Inserted = 0;
  };

  // The bytes of history kept: steps beyond it are forgotten, oldest first, but the newest step is
  // always kept, so that any single edit, however large, can be undone.
  static constexpr size_t kHistoryBudget = size_t{64} << 20;

  explicit TEditableLines(size_t HistoryBudget = kHistoryBudget) : FHistoryBudget(HistoryBudget) {}

  // Takes the lines over without copying them; forgets every edit.
  void Assign(TTextLines Lines);
  // Lines added at the end that are no user's edit (a batch's results); forgets every edit.
  void Append(const TTextLines& Lines);

  size_t size() const { return FOrder.size(); }
  bool empty() const { return FOrder.empty(); }
  std::string_view operator[](size_t i) const { return Resolve(FOrder[i]); }
  // The lines as one buffer, edits included.
  TTextLines Lines(size_t First = 0, size_t Count = SIZE_MAX) const;

  // Replaces Count lines from First with NewLines as one step of the history. With Merge, the step
  // joins the previous one when that replaced the same single line by one (typing in a line).
  void Replace(size_t First, size_t Count, const TTextLines& NewLines, bool Merge = false);
  // Puts the first Count lines in a random order, as one step of the history.
  void Shuffle(TRandom& Random, size_t Count = SIZE_MAX);

  bool CanUndo() const { return !FUndo.empty(); }
  bool CanRedo() const { return !FRedo.empty(); }
  TChange Undo();
  TChange Redo();
  // What the undo and redo steps hold, in bytes.
  size_t HistoryBytes() const { return FHistoryBytes; }

 private:
  // A line reference: an index into the delivered lines, or with kAdded into the added ones.
  using TRef = uint64_t;
  static constexpr TRef kAdded = TRef{1} << 63;
  struct TStep {
    size_t First = 0;
    std::vector<TRef> Removed;
    std::vector<TRef> Inserted;
    // A Shuffle of the first Shuffled lines in the order that Seed draws; it has no refs.
    size_t Shuffled = 0;
    uint64_t Seed = 0;
    size_t Bytes() const { return sizeof(TStep) + (Removed.size() + Inserted.size()) * sizeof(TRef); }
  };

  std::string_view Resolve(TRef Ref) const { return (Ref & kAdded) ? FAdded[Ref & ~kAdded] : FDelivered[Ref]; }
  std::vector<TRef> Splice(size_t First, size_t Count, const std::vector<TRef>& Refs);
  void Record(TStep Step);
  void ForgetHistory();
  TChange Apply(std::deque<TStep>& From, std::deque<TStep>& To, bool Forward);
  // Draws the order of the first Count lines from Seed, or with Inverse puts them back.
  void Permute(uint64_t Seed, size_t Count, bool Inverse);

  TTextLines FDelivered;
  TTextLines FAdded;
  std::vector<TRef> FOrder;
  std::deque<TStep> FUndo;
  std::deque<TStep> FRedo;
  size_t FHistoryBudget;
  size_t FHistoryBytes = 0;
};

}  // namespace korrin
