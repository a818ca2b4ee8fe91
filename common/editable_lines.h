#pragma once
// The lines of an editable list of millions: the delivered lines stay in their one buffer, and an
// edit only rearranges references to lines, so that typing into line 500,000, deleting every
// line or shuffling them costs no copy of the text, and each edit can be undone.
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

  // Takes the lines over without copying them; forgets every edit.
  void Assign(TTextLines Lines);
  // Lines added at the end that are no user's edit (a batch's results); forgets every edit.
  void Append(const TTextLines& Lines);

  size_t size() const { return FOrder.size(); }
  bool empty() const { return FOrder.empty(); }
  std::string_view operator[](size_t i) const { return Resolve(FOrder[i]); }
  // The lines as one buffer, edits included.
  TTextLines Lines(size_t First = 0, size_t Count = SIZE_MAX) const;
  // The length in bytes of the longest line that the list has held since it was assigned.
  size_t MaxLength() const { return FMaxLength; }

  // Replaces Count lines from First with NewLines as one step of the history. With Merge, the step
  // joins the previous one when that replaced the same single line by one (typing in a line).
  void Replace(size_t First, size_t Count, const TTextLines& NewLines, bool Merge = false);
  // Puts the first Count lines in a random order, as one step of the history.
  void Shuffle(TRandom& Random, size_t Count = SIZE_MAX);

  bool CanUndo() const { return !FUndo.empty(); }
  bool CanRedo() const { return !FRedo.empty(); }
  TChange Undo();
  TChange Redo();

  // Steps of the history kept; older ones are forgotten.
  static constexpr size_t kHistoryDepth = 50;

 private:
  // A line reference: an index into the delivered lines, or with kAdded into the added ones.
  using TRef = uint64_t;
  static constexpr TRef kAdded = TRef{1} << 63;
  struct TStep {
    size_t First = 0;
    std::vector<TRef> Removed;
    std::vector<TRef> Inserted;
  };

  std::string_view Resolve(TRef Ref) const { return (Ref & kAdded) ? FAdded[Ref & ~kAdded] : FDelivered[Ref]; }
  std::vector<TRef> Splice(size_t First, size_t Count, const std::vector<TRef>& Refs);
  void Record(TStep Step);
  TChange Apply(std::deque<TStep>& From, std::deque<TStep>& To);
  void NoteLength(std::string_view Line) { FMaxLength = std::max(FMaxLength, Line.size()); }

  TTextLines FDelivered;
  TTextLines FAdded;
  std::vector<TRef> FOrder;
  std::deque<TStep> FUndo;
  std::deque<TStep> FRedo;
  size_t FMaxLength = 0;
};

}  // namespace korrin
