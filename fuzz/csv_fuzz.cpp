// The CSV parser with random flags and options, record by record through ReadParseLine (joining
// lines over cell line breaks) and line by line through ParseLine, every value read back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/exception.h"
#include "tests/textio/test_streams.h"
#include "textio/line_reader.h"
#include "viewer/csv_parser.h"

namespace {

constexpr int kMaxRecords = 2000;

void ReadBack(const korrin::TCSVParser& parser, int32_t columns) {
  for (int32_t i = 0; i < parser.ColumnCount() && i < columns; ++i) {
    (void)parser.ColumnValue(i);
    (void)parser.QuotedColumnValue(i);
  }
  (void)parser.Email();
  (void)parser.Url();
  (void)parser.DataString();
}

}  // namespace

// Input: parse flags, option bits, the column limit, a quote character, then the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const korrin::TCSVParseFlags flags = data[0];
  const uint8_t options = data[1];
  const int32_t maxColumns = data[2] % 64 + 1;
  std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

  korrin::TCSVParser parser({.ParseFlags = flags,
                             .CellLineBreaks = (options & 1) != 0,
                             .ReplaceLineBreaks = (options & 2) != 0,
                             .ReplaceLineBreaksWith = options & 4 ? u"\u21B5" : u"",
                             .BackslashEscapes = (options & 8) != 0},
                            maxColumns);
  parser.SetTrimColumns(options & 16);
  parser.SetQuoteEmptyColumn(options & 32);
  if (options & 64) parser.SetQuoteChar(data[3] ? char16_t{data[3]} : u'\'');
  if (options & 128) parser.SetDelimiters(u"\t ,");
  try {
    korrin::TLineReader reader(std::make_unique<korrin::test::TBytesStream>(text),
                               korrin::TLineReader::kDefaultBufferSize);
    std::u16string record;
    for (int i = 0; i < kMaxRecords && !reader.EndOfLines(); ++i)
      ReadBack(parser, parser.ReadParseLine(reader, record));
    reader.GotoBegin();
    parser.Reset(true);
    for (int i = 0; i < kMaxRecords && !reader.EndOfLines(); ++i)
      ReadBack(parser, parser.ParseLine(reader.ReadLine(), static_cast<korrin::TCSVParseFlags>(flags ^ i)));
  } catch (const korrin::Exception&) {
  }
  return 0;
}
