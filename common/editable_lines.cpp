#include "common/editable_lines.h"

#include <algorithm>
#include <numeric>

namespace korrin {

void TEditableLines::Assign(TTextLines Lines) {
  FDelivered.swap(Lines);
  FAdded.clear();
  FOrder.resize(FDelivered.size());
  std::iota(FOrder.begin(), FOrder.end(), TRef{0});
  ForgetHistory();
}

void TEditableLines::ForgetHistory() {
  FUndo.clear();
  FRedo.clear();
  FHistoryBytes = 0;
}

void TEditableLines::Append(const TTextLines& Lines) {
  const size_t from = FDelivered.size();
  FDelivered.Append(Lines);
  FOrder.reserve(FOrder.size() + Lines.size());
  for (size_t i = from; i < FDelivered.size(); ++i) FOrder.push_back(i);
  // A step recorded before would no longer know where its lines are.
  ForgetHistory();
}

TTextLines TEditableLines::Lines(size_t First, size_t Count) const {
  const size_t last = First + std::min(Count, size() - std::min(First, size()));
  size_t bytes = 0;
  for (size_t i = First; i < last; ++i) bytes += (*this)[i].size() + 1;
  TTextLines lines;
  lines.reserve(last - First, bytes);
  for (size_t i = First; i < last; ++i) lines.push_back((*this)[i]);
  return lines;
}

std::vector<TEditableLines::TRef> TEditableLines::Splice(size_t First, size_t Count, const std::vector<TRef>& Refs) {
  First = std::min(First, FOrder.size());
  Count = std::min(Count, FOrder.size() - First);
  const auto at = FOrder.begin() + static_cast<std::ptrdiff_t>(First);
  std::vector<TRef> removed(at, at + static_cast<std::ptrdiff_t>(Count));
  if (Count == FOrder.size() && First == 0) {
    FOrder = Refs;
  } else {
    // One move of the tail, whatever the sizes: a million-line paste or delete stays linear.
    const size_t tail = FOrder.size() - First - Count;
    std::vector<TRef> order;
    order.reserve(First + Refs.size() + tail);
    order.insert(order.end(), FOrder.begin(), at);
    order.insert(order.end(), Refs.begin(), Refs.end());
    order.insert(order.end(), at + static_cast<std::ptrdiff_t>(Count), FOrder.end());
    FOrder.swap(order);
  }
  return removed;
}

void TEditableLines::Record(TStep Step) {
  for (const TStep& redo : FRedo) FHistoryBytes -= redo.Bytes();
  FRedo.clear();
  FHistoryBytes += Step.Bytes();
  FUndo.push_back(std::move(Step));
  while (FUndo.size() > 1 && FHistoryBytes > FHistoryBudget) {
    FHistoryBytes -= FUndo.front().Bytes();
    FUndo.pop_front();
  }
}

void TEditableLines::Replace(size_t First, size_t Count, const TTextLines& NewLines, bool Merge) {
  std::vector<TRef> refs;
  refs.reserve(NewLines.size());
  for (std::string_view line : NewLines) {
    refs.push_back(kAdded | FAdded.size());
    FAdded.push_back(line);
  }
  First = std::min(First, FOrder.size());
  if (Merge && Count == 1 && refs.size() == 1 && !FUndo.empty() && FRedo.empty()) {
    TStep& last = FUndo.back();
    if (last.Shuffled == 0 && last.First == First && last.Removed.size() == 1 && last.Inserted.size() == 1) {
      Splice(First, 1, refs);
      last.Inserted = refs;
      return;
    }
  }
  TStep step;
  step.First = First;
  step.Removed = Splice(First, Count, refs);
  step.Inserted = std::move(refs);
  Record(std::move(step));
}

void TEditableLines::Shuffle(TRandom& Random, size_t Count) {
  TStep step;
  step.Shuffled = std::min(Count, FOrder.size());
  step.Seed = Random();
  Permute(step.Seed, step.Shuffled, false);
  Record(std::move(step));
}

void TEditableLines::Permute(uint64_t Seed, size_t Count, bool Inverse) {
  // Fisher-Yates, drawn by RandomBelow rather than std::shuffle so that the same seed always
  // draws the same swaps; undoing makes the same swaps in the opposite order.
  TRandom random(Seed);
  if (!Inverse) {
    for (size_t i = Count; i > 1; --i) std::swap(FOrder[i - 1], FOrder[RandomBelow(random, i)]);
    return;
  }
  std::vector<size_t> picks;
  picks.reserve(Count);
  for (size_t i = Count; i > 1; --i) picks.push_back(RandomBelow(random, i));
  for (size_t i = 2; i <= Count; ++i) std::swap(FOrder[i - 1], FOrder[picks[Count - i]]);
}

TEditableLines::TChange TEditableLines::Apply(std::deque<TStep>& From, std::deque<TStep>& To, bool Forward) {
  if (From.empty()) return {};
  TStep step = std::move(From.back());
  From.pop_back();
  TChange change;
  if (step.Shuffled > 0) {
    Permute(step.Seed, step.Shuffled, !Forward);
    change = {0, step.Shuffled, step.Shuffled};
  } else {
    Splice(step.First, step.Inserted.size(), step.Removed);
    change = {step.First, step.Inserted.size(), step.Removed.size()};
    std::swap(step.Removed, step.Inserted);
  }
  To.push_back(std::move(step));
  return change;
}

TEditableLines::TChange TEditableLines::Undo() { return Apply(FUndo, FRedo, false); }
TEditableLines::TChange TEditableLines::Redo() { return Apply(FRedo, FUndo, true); }

}  // namespace korrin
