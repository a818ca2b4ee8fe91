// The viewer's four readers of one file must agree on its rows: the preview, Count Rows, the row
// index (with the rows it reads back) and Find. Any difference aborts, so the fuzzer reports it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/exception.h"
#include "viewer/file_preview.h"
#include "viewer/row_finder.h"

namespace {

constexpr size_t kMaxText = 1 << 16;

void Agree(bool same, const char* what) {
  if (same) return;
  std::fprintf(stderr, "The viewer's readers disagree: %s\n", what);
  std::abort();
}

// The file lives as long as one input is checked.
class TInputFile {
 public:
  TInputFile(const uint8_t* data, size_t size) {
    FName = (std::filesystem::temp_directory_path() / "korrin-viewer-rows-XXXXXX").string();
    const int fd = ::mkstemp(FName.data());
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fd);
  }
  ~TInputFile() { ::unlink(FName.c_str()); }
  const std::string& Name() const { return FName; }

 private:
  std::string FName;
};

bool Contains(const korrin::TStringList& lines, const std::u16string& needle) {
  for (const std::u16string& line : lines)
    if (line.find(needle) != std::u16string::npos) return true;
  return false;
}

}  // namespace

// Input: one byte of options (cell line breaks, backslash escapes, no header, the delimiter), then
// the file's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size - 1 > kMaxText) return 0;
  const uint8_t options = data[0];
  const bool noHeader = options & 4;
  const char16_t delimiters[] = {0, u',', u';', u'\t'};
  const TInputFile file(data + 1, size - 1);
  const auto configure = [&](korrin::TFilePreview& preview) {
    preview.CSVParser().SetCellLineBreaks(options & 1);
    preview.CSVParser().SetBackslashEscapes(options & 2);
    preview.SetDelimiter(delimiters[(options >> 3) & 3]);
    preview.SetPreviewMaxLines(static_cast<int32_t>(size) + 2);
  };
  try {
    korrin::TFilePreview counter;
    configure(counter);
    const int64_t count = counter.CountRows(file.Name(), noHeader, nullptr);

    korrin::TFilePreview preview;
    configure(preview);
    if (!preview.ReadPreview(file.Name(), noHeader)) return 0;
    Agree(preview.PreviewEof(), "the preview did not reach the end");
    const auto records = static_cast<int64_t>(preview.PreviewRows().size());
    const int64_t header = noHeader || records == 0 ? 0 : 1;
    Agree(count == records - header, "Count Rows and the preview");

    Agree(preview.BuildIndex(nullptr), "the index stopped");
    Agree(preview.Index()->Records() == records, "the index and the preview");
    korrin::TStringList indexed;
    for (int64_t row = 0; row < records; ++row) {
      const auto first = static_cast<size_t>(preview.PreviewRows()[static_cast<size_t>(row)]);
      const size_t end = row + 1 < records ? static_cast<size_t>(preview.PreviewRows()[static_cast<size_t>(row) + 1])
                                           : preview.PreviewLines().size();
      const korrin::TStringList shown(preview.PreviewLines().begin() + static_cast<std::ptrdiff_t>(first),
                                      preview.PreviewLines().begin() + static_cast<std::ptrdiff_t>(end));
      Agree(preview.IndexedRow(true, row, indexed) && indexed == shown, "a row read through the index");
    }

    // One character of the first data row, matched by case: Find counts the rows the preview holds it in.
    if (records <= header || preview.PreviewLines().empty()) return 0;
    const std::u16string& line = preview.PreviewLines()[static_cast<size_t>(preview.PreviewRows()[header])];
    if (line.empty()) return 0;
    const std::u16string needle(1, line[line.size() / 2]);
    int64_t expected = 0;
    for (int64_t row = header; row < records; ++row) {
      preview.IndexedRow(true, row, indexed);
      expected += Contains(indexed, needle);
    }
    korrin::TRowFinder finder(file.Name(), preview.Encoding(), preview.Index()->Options());
    korrin::TFindResult result;
    Agree(finder.Find({needle, true, true, header, 0}, result), "Find stopped");
    Agree(result.Count == expected, "Find and the rows");
  } catch (const korrin::Exception&) {
  }
  return 0;
}
