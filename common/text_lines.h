#pragma once
// An ordered list of text lines kept in one buffer, each line followed by "\n": a million
// generated lines cost one allocation instead of a million, and the whole list is written out
// or handed to a text box in one piece.
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

class TTextLines {
 public:
  TTextLines() = default;
  TTextLines(std::initializer_list<std::string_view> lines) {
    for (auto l : lines) push_back(l);
  }

  size_t size() const { return FStarts.size(); }
  bool empty() const { return FStarts.empty(); }
  std::string_view operator[](size_t i) const {
    const size_t end = i + 1 < FStarts.size() ? FStarts[i + 1] : FText.size();
    return std::string_view(FText).substr(FStarts[i], end - FStarts[i] - 1);
  }
  void push_back(std::string_view line) {
    FStarts.push_back(FText.size());
    FText.append(line);
    FText.push_back('\n');
  }
  // Builds the next line in place: append its parts to the returned buffer, then EndLine().
  std::string& BeginLine() {
    FStarts.push_back(FText.size());
    return FText;
  }
  void EndLine() { FText.push_back('\n'); }
  // Grows as push_back does, so that appending batch after batch stays linear.
  void Append(const TTextLines& other) {
    for (size_t start : other.FStarts) FStarts.push_back(FText.size() + start);
    FText.append(other.FText);
  }
  void reserve(size_t lines, size_t bytes) {
    FStarts.reserve(lines);
    FText.reserve(bytes);
  }
  // Keeps the first `lines` lines (no more than there are).
  void Truncate(size_t lines) {
    if (lines >= FStarts.size()) return;
    FText.resize(FStarts[lines]);
    FStarts.resize(lines);
  }
  void clear() {
    FStarts.clear();
    FText.clear();
  }
  void swap(TTextLines& other) noexcept {
    FStarts.swap(other.FStarts);
    FText.swap(other.FText);
  }
  // Every line followed by "\n".
  std::string_view Text() const { return FText; }
  std::vector<std::string> ToVector() const {
    std::vector<std::string> lines;
    lines.reserve(size());
    for (std::string_view line : *this) lines.emplace_back(line);
    return lines;
  }
  void Assign(const std::vector<std::string>& lines) {
    clear();
    for (const auto& l : lines) push_back(l);
  }

  // Its lines are views made as it is dereferenced, not references to stored strings: a forward
  // iterator by the C++20 rules, and only an input iterator by the older ones.
  class const_iterator {
   public:
    using iterator_concept = std::forward_iterator_tag;
    using iterator_category = std::input_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;
    const_iterator() = default;
    const_iterator(const TTextLines* owner, size_t i) : FOwner(owner), FIndex(i) {}
    std::string_view operator*() const { return (*FOwner)[FIndex]; }
    const_iterator& operator++() {
      ++FIndex;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++FIndex;
      return old;
    }
    bool operator==(const const_iterator& o) const { return FIndex == o.FIndex; }

   private:
    const TTextLines* FOwner = nullptr;
    size_t FIndex = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

 private:
  std::string FText;
  std::vector<size_t> FStarts;
};

static_assert(std::forward_iterator<TTextLines::const_iterator>);

}  // namespace korrin
