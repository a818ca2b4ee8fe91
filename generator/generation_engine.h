#pragma once
// The generation engine: every setting of an IP list generation, and the run that turns range
// lines into the finished output lines. One engine lives as long as its front end; a run reads
// the settings and writes only the output list.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/text_lines.h"
#include "generator/progress_sink.h"

namespace korrin {

enum class TGenerateCounts { gcAllCount, gcTotalCount, gcForEach };

class TKorrinUtils {
 public:
  // The sink is not owned; it may be null for a run without progress.
  explicit TKorrinUtils(IProgressSink* progress) : FProgress(progress) {}

  // Puts "%d IPs generated." in resultText when the run completes; raises korrin::Exception with
  // the message to show otherwise.
  void PerformGenerateIPList(std::string& resultText);

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
  std::vector<std::string>& IPRanges() { return FIPRanges; }
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
  TTextLines& IPList() { return FIPList; }
  int32_t MaxIPs() const { return FMaxIPs; }
  // Port lists multiply addresses into lines; this bounds the lines of one run.
  int64_t MaxLines() const { return FMaxLines; }
  bool ResolveIPCountry() const { return FResolveIPCountry; }
  void SetResolveIPCountry(bool v) { FResolveIPCountry = v; }
  const std::string& MMDBFilePath() const { return FMMDBFilePath; }
  void SetMMDBFilePath(const std::string& v) { FMMDBFilePath = v; }
  // A fixed seed makes random runs reproducible; without one each run draws a fresh seed.
  const std::optional<uint64_t>& RandomSeed() const { return FRandomSeed; }
  void SetRandomSeed(std::optional<uint64_t> v) { FRandomSeed = v; }

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
  std::string FNameDelimiter;
  bool FAddPortNumbers = false;
  std::string FPortNumbers;
  std::vector<std::string> FIPRanges;
  bool FUsableHostIPAddresses = false;
  bool FDoExclude = false;
  std::vector<std::string> FExcludeMasks;
  bool FAppend = false;
  bool FEscapeIPv6 = false;
  bool FRandomOrder = false;
  TTextLines FIPList;
  int32_t FMaxIPs = 1000000;
  int64_t FMaxLines = 10000000;
  bool FResolveIPCountry = false;
  std::string FMMDBFilePath;
  std::optional<uint64_t> FRandomSeed;
};

}  // namespace korrin
