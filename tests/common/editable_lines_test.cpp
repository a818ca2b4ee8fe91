// The editable lines' history: a Shuffle is undone and redone exactly while costing no copy of the
// order, and the history stays within its byte budget by forgetting its oldest steps.
#include "common/editable_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace korrin {
namespace {

TTextLines Numbered(size_t Count) {
  TTextLines lines;
  for (size_t i = 0; i < Count; ++i) lines.push_back(std::to_string(i));
  return lines;
}

std::string Text(const TEditableLines& Lines) { return std::string(Lines.Lines().Text()); }

TEST(EditableLines, ShufflesAreUndoneAndRedoneExactlyAndHoldNoOrder) {
  struct Case {
    size_t lines;
    size_t shuffled;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {1000, 1000}, {1000, 999}, {100000, 100000}};
  for (const Case& c : cases) {
    TEditableLines lines;
    lines.Assign(Numbered(c.lines));
    const std::string original = Text(lines);
    TRandom random(7);
    std::vector<std::string> orders;
    for (int i = 0; i < 3; ++i) {
      lines.Shuffle(random, c.shuffled);
      orders.push_back(Text(lines));
    }
    if (c.lines >= 1000) {
      EXPECT_NE(orders[0], original) << c.lines;
      EXPECT_NE(orders[1], orders[0]) << c.lines;
      // Only the lines asked for move.
      if (c.shuffled < c.lines) {
        EXPECT_EQ(std::string(lines[c.lines - 1]), std::to_string(c.lines - 1));
      }
    }
    EXPECT_LT(lines.HistoryBytes(), size_t{1024}) << c.lines;
    lines.Undo();
    EXPECT_EQ(Text(lines), orders[1]) << c.lines;
    lines.Undo();
    lines.Undo();
    EXPECT_EQ(Text(lines), original) << c.lines;
    lines.Redo();
    lines.Redo();
    EXPECT_EQ(Text(lines), orders[1]) << c.lines;
  }
}

TEST(EditableLines, TheHistoryForgetsItsOldestStepsBeyondItsBudget) {
  // Each step below replaces 100 lines by one: its refs take 101 * 8 bytes.
  const size_t step = 101 * sizeof(uint64_t);
  TEditableLines lines(10 * step);
  lines.Assign(Numbered(10000));
  for (int i = 0; i < 30; ++i) lines.Replace(0, 100, {"x" + std::to_string(i)});
  EXPECT_LE(lines.HistoryBytes(), 10 * step);
  int undone = 0;
  while (lines.CanUndo()) {
    lines.Undo();
    ++undone;
  }
  EXPECT_GE(undone, 5);
  EXPECT_LT(undone, 10);
  // The oldest steps went: the earliest undone state still has the lines the kept steps replaced.
  EXPECT_EQ(lines.Lines().size(), 10000 - 99 * size_t(30 - undone));
  // Undone steps wait for redo within the same budget; a new edit drops them.
  EXPECT_LE(lines.HistoryBytes(), 10 * step);
  lines.Replace(0, 1, {"new"});
  EXPECT_FALSE(lines.CanRedo());
  EXPECT_LT(lines.HistoryBytes(), step);
}

TEST(EditableLines, AStepLargerThanTheBudgetCanStillBeUndone) {
  TEditableLines lines(64);
  lines.Assign(Numbered(1000));
  lines.Replace(0, 1000, {});
  EXPECT_EQ(lines.Lines().size(), 0u);
  lines.Undo();
  EXPECT_EQ(Text(lines), Text([] {
              TEditableLines fresh;
              fresh.Assign(Numbered(1000));
              return fresh;
            }()));
}

TEST(EditableLines, NewLinesFromOutsideForgetTheHistory) {
  TEditableLines lines;
  lines.Assign(Numbered(10));
  TRandom random(1);
  lines.Shuffle(random);
  lines.Replace(0, 1, {"typed"});
  EXPECT_GT(lines.HistoryBytes(), 0u);
  lines.Append(Numbered(3));
  EXPECT_FALSE(lines.CanUndo());
  EXPECT_EQ(lines.HistoryBytes(), 0u);
  lines.Replace(0, 1, {"again"});
  lines.Assign(Numbered(2));
  EXPECT_FALSE(lines.CanUndo());
  EXPECT_EQ(lines.HistoryBytes(), 0u);
}

}  // namespace
}  // namespace korrin
