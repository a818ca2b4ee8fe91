// The whole file's row scanner, row index, row reader and Find's search on random text: the
// index counts the rows a reader reads one by one, a row reached through the index is the row
// read in order, and Find (raw bytes or decoded text, whole pass or nearest) finds exactly the
// rows whose lines hold the needle. The text may be put just before the readers' 1 MiB block
// edge, so that rows, CRs and matches straddle it, and may be UTF-16 of an odd length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/exception.h"
#include "tests/textio/test_streams.h"
#include "viewer/row_finder.h"
#include "viewer/row_index.h"
#include "viewer/row_reader.h"

namespace {

using namespace korrin;

constexpr size_t kBlock = size_t{1} << 20;
constexpr int64_t kMaxRows = 20000;

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// Every row of the file in order, read by one reader.
std::vector<TStringList> AllRows(const std::string& File, const TRowIndex& Index, bool Records) {
  TRowReader reader(File, Index.Encoding(), Index.Options());
  std::vector<TStringList> rows;
  TStringList lines;
  while (static_cast<int64_t>(rows.size()) < kMaxRows && reader.Read(Records, lines)) rows.push_back(lines);
  return rows;
}

}  // namespace

// Input: option bits, a delimiter, a needle length, then the text (the needle is its first bytes).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t options = data[0];
  TRowOptions rowOptions;
  rowOptions.CellLineBreaks = options & 1;
  rowOptions.BackslashEscapes = options & 2;
  rowOptions.Delimiter = options & 4 ? char16_t{data[1]} : 0;
  std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  const size_t needleLength = std::min<size_t>(data[2] % 4 + 1, text.size());
  std::u16string needle;
  for (size_t i = 0; i < needleLength; ++i)
    needle += static_cast<char16_t>(static_cast<uint8_t>(text[i]) % 0x5F + 0x20);  // printable ASCII
  if (options & 8) {
    // UTF-16 with its mark, the bytes as they come: an odd length leaves half a unit at the end.
    text = (options & 16 ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) + text;
  }
  if (options & 32) {
    // Short rows up to just before the block edge, so that the text straddles it.
    const size_t unit = options & 8 ? 2 : 1;
    std::string pad;
    const std::string row = unit == 2 ? std::string(options & 16 ? "\0x\0\n" : "x\0\n\0", 4) : "x\n";
    while (pad.size() + row.size() <= kBlock - (data[1] % 16) * unit) pad += row;
    text = options & 8 ? text.substr(0, 2) + pad + text.substr(std::min<size_t>(2, text.size())) : pad + text;
  }
  try {
    const test::TTempFile file(text);
    const size_t head = std::min(text.size(), kSniffSize);
    const TSniffedEncoding encoding =
        SniffEncoding({reinterpret_cast<const uint8_t*>(text.data()), head}, head == text.size());
    TRowIndex index(file.Name(), encoding, rowOptions);
    Check(index.Build(nullptr));
    for (const bool records : {true, false}) {
      const std::vector<TStringList> rows = AllRows(file.Name(), index, records);
      if (static_cast<int64_t>(rows.size()) >= kMaxRows) continue;
      Check(static_cast<int64_t>(rows.size()) == (records ? index.Records() : index.Lines()));
      // Rows through the index: the last, one on each side of a stride, and one chosen by the input.
      TRowReader reader(file.Name(), index.Encoding(), index.Options());
      const auto count = static_cast<int64_t>(rows.size());
      for (const int64_t row : {count - 1, TRowIndex::kStride - 1, TRowIndex::kStride, int64_t{data[1]}}) {
        int64_t offset = 0, skip = 0;
        if (row < 0 || row >= count || !index.Locate(records, row, offset, skip)) continue;
        reader.Seek(offset);
        TStringList lines;
        Check(reader.Skip(records, skip) && reader.Read(records, lines) && lines == rows[static_cast<size_t>(row)]);
      }
      // Find, matched by case, against the rows read.
      std::vector<int64_t> matching;
      for (int64_t row = 0; row < count; ++row)
        if (std::any_of(rows[static_cast<size_t>(row)].begin(), rows[static_cast<size_t>(row)].end(),
                        [&](const std::u16string& line) { return line.find(needle) != std::u16string::npos; }))
          matching.push_back(row);
      TRowFinder finder(file.Name(), index.Encoding(), index.Options());
      const int64_t from = count ? data[1] % count : 0;
      TFindResult whole;
      Check(finder.Find({needle, true, records, 0, from}, whole));
      Check(whole.Count == static_cast<int64_t>(matching.size()));
      for (const bool backward : {false, true}) {
        TFindRequest request{needle, true, records, 0, from};
        request.Nearest = true;
        request.Backward = backward;
        request.Index = &index;
        TFindResult nearest;
        Check(finder.Find(request, nearest));
        Check(backward ? nearest.Previous == whole.Previous : nearest.Next == whole.Next);
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
