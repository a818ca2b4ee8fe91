#pragma once
// The generation engine: every setting of an IP list generation, and the run that turns range
// lines into the finished output lines. One engine lives as long as its front end; a run reads
// the settings and writes only the output list.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/text_lines.h"
#include "generator/progress_sink.h"
#include "generator/wide_count.h"
#include "mmdb/mmdb_columns.h"

namespace korrin {

enum class TGenerateCounts { gcAllCount, gcTotalCount, gcForEach };

// A range line the last run could not read: its number from 1, its text and why.
struct TSkippedRangeLine {
  int64_t Line;
  std::string Text;
  std::string Reason;
};

// A range line that repeats addresses of the lines before it, in a run without unique addresses.
struct TOverlappingRangeLine {
  int64_t Line;
  std::string Text;
  TWideCount Repeats;
};

struct TRangeLinesReport {
  int64_t Read = 0;
  int64_t SkippedCount = 0;
  std::vector<TSkippedRangeLine> Skipped;
  int64_t OverlapCount = 0;
  std::vector<TOverlappingRangeLine> Overlaps;
  TWideCount Repeated;  // addresses given more than once, before masks
};

// The lines a run would give: exact, or an upper bound where exclusions were not walked.
struct TLineCount {
  TWideCount Lines;
  bool Exact = true;
};

class TKorrinUtils {
 public:
  // The sink is not owned; it may be null for a run without progress.
  explicit TKorrinUtils(IProgressSink* progress) : FProgress(progress) {}

  // Puts "%d IPs generated." in resultText when the run completes; raises korrin::Exception with
  // the message to show otherwise.
  void PerformGenerateIPList(std::string& resultText);
  // Counts the lines the run would give, generating none and applying none of its limits;
  // raises korrin::Exception for a malformed exclusion mask, a port list or a count that does
  // not read, as the run would.
  TLineCount CountIPList();

  TGenerateCounts GenerateCountMode() const { return FGenerateCountMode; }
  void SetGenerateCountMode(TGenerateCounts v) { FGenerateCountMode = v; }
  int32_t GenerateCount() const { return FGenerateCount; }
  void SetGenerateCount(int32_t v) { FGenerateCount = v; }
  bool GenerateNames() const { return FGenerateNames; }
  void SetGenerateNames(bool v) { FGenerateNames = v; }
  const std::string& NameTemplate() const { return FNameTemplate; }
  void SetNameTemplate(const std::string& v) { FNameTemplate = v; }
  const std::string& CounterSymbol() const { return FCounterSymbol; }
  void SetCounterSymbol(const std::string& v) { FCounterSymbol = v; }
  int32_t FirstCounter() const { return FFirstCounter; }
  void SetFirstCounter(int32_t v) { FFirstCounter = v; }
  int32_t CounterStep() const { return FCounterStep; }
  void SetCounterStep(int32_t v) { FCounterStep = v; }
  int32_t CounterDigits() const { return FCounterDigits; }
  void SetCounterDigits(int32_t v) { FCounterDigits = v; }
  const std::string& NameDelimiter() const { return FNameDelimiter; }
  void SetNameDelimiter(const std::string& v) { FNameDelimiter = v; }
  bool AddPortNumbers() const { return FAddPortNumbers; }
  void SetAddPortNumbers(bool v) { FAddPortNumbers = v; }
  const std::string& PortNumbers() const { return FPortNumbers; }
  void SetPortNumbers(const std::string& v) { FPortNumbers = v; }
  TTextLines& IPRanges() { return FIPRanges; }
  bool UsableHostIPAddresses() const { return FUsableHostIPAddresses; }
  void SetUsableHostIPAddresses(bool v) { FUsableHostIPAddresses = v; }
  bool DoExclude() const { return FDoExclude; }
  void SetDoExclude(bool v) { FDoExclude = v; }
  std::vector<std::string>& ExcludeMasks() { return FExcludeMasks; }
  bool Append() const { return FAppend; }
  void SetAppend(bool v) { FAppend = v; }
  bool EscapeIPv6() const { return FEscapeIPv6; }
  void SetEscapeIPv6(bool v) { FEscapeIPv6 = v; }
  bool RandomOrder() const { return FRandomOrder; }
  void SetRandomOrder(bool v) { FRandomOrder = v; }
  // The ranges as one set: an address in several comes once, under the first range's name.
  bool UniqueAddresses() const { return FUniqueAddresses; }
  void SetUniqueAddresses(bool v) { FUniqueAddresses = v; }
  TTextLines& IPList() { return FIPList; }
  // Where a run's lines go. Without a sink they are kept in IPList(), and a run is held to the
  // limits that protect a window's memory: MaxIPs addresses for a count, windows of 2^20 for all
  // addresses. With one they are handed over in batches as they are made and none is kept, so
  // only MaxLines bounds a run.
  using TLineSink = std::function<void(const TTextLines& lines)>;
  void SetLineSink(TLineSink sink) { FLineSink = std::move(sink); }
  int32_t MaxIPs() const { return FMaxIPs; }
  // Port lists multiply addresses into lines; this bounds the lines of one run, none when empty.
  const std::optional<int64_t>& MaxLines() const { return FMaxLines; }
  void SetMaxLines(std::optional<int64_t> v) { FMaxLines = v; }
  // Part K of N (1 <= K <= N): a run writes only that part of its list cut into N consecutive
  // parts whose sizes differ by one line at most, so parts 1 to N one after another are the list.
  void SetShard(uint64_t part, uint64_t parts) {
    FShardPart = part;
    FShardParts = parts;
  }
  bool ResolveIPCountry() const { return FResolveIPCountry; }
  void SetResolveIPCountry(bool v) { FResolveIPCountry = v; }
  const std::string& MMDBFilePath() const { return FMMDBFilePath; }
  void SetMMDBFilePath(const std::string& v) { FMMDBFilePath = v; }
  // The record fields of the database columns after the address, in order (mmdb/mmdb_columns.h:
  // kCountryCodeField is the country code, the default).
  const std::vector<std::string>& MMDBFields() const { return FMMDBFields; }
  void SetMMDBFields(const std::vector<std::string>& v) { FMMDBFields = v; }
  // Why the last run's country column is empty when its database holds no country field; else empty.
  const std::string& MMDBWarning() const { return FMMDBWarning; }
  // A fixed seed makes random runs reproducible; without one each run draws a fresh seed.
  const std::optional<uint64_t>& RandomSeed() const { return FRandomSeed; }
  void SetRandomSeed(std::optional<uint64_t> v) { FRandomSeed = v; }

  // The range lines of the last run: how many were read, how many could not be (blanks and ";"
  // comments are neither), and the first kMaxSkippedLinesKept of those.
  static constexpr int64_t kMaxSkippedLinesKept = 20;
  int64_t RangeLinesRead() const { return FReport.Read; }
  int64_t SkippedLineCount() const { return FReport.SkippedCount; }
  const std::vector<TSkippedRangeLine>& SkippedLines() const { return FReport.Skipped; }
  // Without unique addresses: the range lines that repeat addresses of the lines before them, how
  // many there are (the first kMaxSkippedLinesKept are kept) and how many addresses repeat.
  int64_t OverlappingLineCount() const { return FReport.OverlapCount; }
  const std::vector<TOverlappingRangeLine>& OverlappingLines() const { return FReport.Overlaps; }
  const TWideCount& RepeatedAddresses() const { return FReport.Repeated; }

 private:
  IProgressSink* FProgress;
  TGenerateCounts FGenerateCountMode = TGenerateCounts::gcAllCount;
  int32_t FGenerateCount = 0;
  bool FGenerateNames = false;
  std::string FNameTemplate;
  std::string FCounterSymbol;
  int32_t FFirstCounter = 0;
  int32_t FCounterStep = 0;
  int32_t FCounterDigits = 0;
  std::string FNameDelimiter = " ";
  bool FAddPortNumbers = false;
  std::string FPortNumbers;
  TTextLines FIPRanges;
  bool FUsableHostIPAddresses = false;
  bool FDoExclude = false;
  std::vector<std::string> FExcludeMasks;
  bool FAppend = false;
  bool FEscapeIPv6 = false;
  bool FRandomOrder = false;
  bool FUniqueAddresses = false;
  TTextLines FIPList;
  int32_t FMaxIPs = 1000000;
  std::optional<int64_t> FMaxLines = 10000000;
  TLineSink FLineSink;
  uint64_t FShardPart = 1;
  uint64_t FShardParts = 1;
  bool FResolveIPCountry = false;
  std::string FMMDBFilePath;
  std::vector<std::string> FMMDBFields{std::string(kCountryCodeField)};
  std::string FMMDBWarning;
  std::optional<uint64_t> FRandomSeed;
  TRangeLinesReport FReport;
};

// A count of addresses below one is a typo, not a wish for an empty list: raises
// korrin::Exception with the message a run gives for it.
void CheckGenerateCount(int32_t count);

// "2 range lines skipped: line 3 'x': reason", empty when none was: the window's status text
// names the count and the first.
std::string SkippedLinesSummary(const TKorrinUtils& engine);
// "2 addresses repeat: line 2 '10.0.0.2/31' repeats addresses of the lines before it", empty when
// no range line does: the window's status text names the first.
std::string OverlapsSummary(const TKorrinUtils& engine);

}  // namespace korrin
