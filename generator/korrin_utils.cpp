#include "generator/korrin_utils.h"

#include <filesystem>
#include <utility>

#include "address/ip_addr_list.h"
#include "common/random.h"
#include "common/text.h"
#include "generator/int_list.h"
#include "generator/name_template.h"
#include "generator/port_list.h"
#include "generator/range_line.h"
#include "generator/wildcard_mask.h"

namespace korrin {

namespace {

// The smallest b with 2^b >= x; 0 for x < 2.
int Bits(int64_t x) {
  int b = 0;
  while (x > 1 && (int64_t{1} << b) < x) ++b;
  return b;
}

struct TRangeEntry {
  std::string Name;
  TIPAddr Base;
  TIPAddr Mask;
  int StepPosition;  // W - s: the lowest varying bit
  int RandomBits;    // bits below the walked ones that get random 1 bits
};

// A text waiting to be selected, or a finished line, with the index of its address.
struct TIndexedLine {
  std::string Text;
  int Index;
};

// One run of the engine: owns every list it builds, so an exception releases them all.
class TGenerationRun {
 public:
  TGenerationRun(TKorrinUtils& engine, IProgressSink* progress) : E(engine), FProgress(progress) {}

  void Execute() {
    Report([](IProgressSink& p) {
      p.SetStatus("Action: Generate IP List");
      p.SetPosition(0);
      p.SetMax(100);
      p.SetProcessed(0);
    });
    if (E.AddPortNumbers()) FPorts = ReadPortList(E.PortNumbers());
    FCountMode = E.GenerateCountMode();
    FCount = FCountMode == TGenerateCounts::gcAllCount ? 0 : E.GenerateCount();
    ReadRanges();
    if (E.DoExclude())
      for (const auto& mask : E.ExcludeMasks())
        if (!mask.empty()) FExcludes.Add(mask);
    Report([this](IProgressSink& p) {
      p.SetMax(FTotal);
      p.SetPosition(0);
      p.SetProcessed(0);
    });
    Generate();
  }

 private:
  template <typename F>
  void Report(F&& f) {
    if (FProgress) f(*FProgress);
  }
  bool Terminated() const { return FProgress && FProgress->Terminated(); }

  void ReadRanges() {
    const int32_t maxIPs = E.MaxIPs();
    const int bitsMax = Bits(maxIPs);
    const int bitsCount = Bits(FCount);
    if (FCountMode == TGenerateCounts::gcTotalCount) {
      FTotal = FCount;
      if (FCount > maxIPs) throw Exception(Format("Too many IPs (%d)\r\nMax. IP count: %d", FCount, maxIPs));
    }
    for (const auto& line : E.IPRanges()) {
      auto range = ReadRangeLine(line);
      if (!range) continue;
      const int w = FamilyWidth(range->Base.ip_family);
      int s = range->SuffixStart;
      const int p = range->Prefix;
      int r = 0;
      if (E.RandomOrder() && FCountMode != TGenerateCounts::gcAllCount && s - p > bitsCount) {
        r = s - p - bitsCount;
        s = p + bitsCount;
      }
      if (FCountMode == TGenerateCounts::gcForEach) {
        FTotal += FCount;
        if (FTotal > maxIPs)
          throw Exception(Format("Too many IPs (%lld)\r\nMax. IP count: %d", static_cast<long long>(FTotal), maxIPs));
      } else if (FCountMode == TGenerateCounts::gcAllCount) {
        if (s - p > bitsMax) throw Exception(Format("Too many IPs (2^%d)\r\nMax. IP count: %d", s - p, maxIPs));
        FTotal += int64_t{1} << (s - p);
      }
      FRanges.push_back({std::move(range->Name), range->Base, MakeIPAddrMask(range->Base.ip_family, p, s), w - s, r});
    }
    // Every address may become one line per port: refuse a run whose lines could not fit.
    if (FPorts && !FPorts->empty() && FTotal > 0) {
      const int64_t lines = FTotal * static_cast<int64_t>(FPorts->size());
      if (lines > E.MaxLines())
        throw Exception(Format("Too many lines (%lld)\r\nMax. line count: %lld", static_cast<long long>(lines),
                               static_cast<long long>(E.MaxLines())));
    }
  }

  void Generate() {
    if (E.ResolveIPCountry()) {
      if (E.MMDBFilePath().empty()) throw Exception("Invalid arguments");
      std::error_code ec;
      if (!std::filesystem::exists(E.MMDBFilePath(), ec) || std::filesystem::is_directory(E.MMDBFilePath(), ec))
        throw Exception("MMDB File not found");
    }
    std::vector<std::string>& ipList = E.IPList();
    if (!E.Append()) ipList.clear();
    if (FRanges.empty()) return;
    FRandom.seed(E.RandomSeed() ? *E.RandomSeed() : FreshSeed());

    const bool inOrderCount = !E.RandomOrder() && FCountMode != TGenerateCounts::gcAllCount;
    for (int i = 0; i < static_cast<int>(FRanges.size()) && !Terminated(); ++i) {
      Walk(i, inOrderCount);
      if (FCountMode == TGenerateCounts::gcForEach) {
        Select(FCount);
        FCandidates.clear();
      } else if (inOrderCount && static_cast<int64_t>(FCandidates.size()) >= FCount) {
        break;
      }
    }
    if (FCountMode == TGenerateCounts::gcAllCount) Select(static_cast<int64_t>(FCandidates.size()));
    else if (FCountMode == TGenerateCounts::gcTotalCount) Select(FCount);
    std::vector<TIndexedLine>().swap(FCandidates);

    if (E.GenerateNames()) PutNamesInFront();
    ipList.reserve(ipList.size() + FLines.size());
    for (auto& line : FLines) ipList.push_back(std::move(line.Text));
  }

  void Walk(int rangeIndex, bool inOrderCount) {
    const TRangeEntry& range = FRanges[static_cast<size_t>(rangeIndex)];
    TIPAddr start = range.Base;
    AndIPAddr(start, range.Mask);
    TIPAddr end = range.Mask;
    NotIPAddr(end);
    OrIPAddr(end, start);
    const bool usable = E.UsableHostIPAddresses();
    const bool escape = E.EscapeIPv6();
    std::string text;
    for (TIPAddr current = start; SameMaskedIPAddr(current, start, range.Mask);) {
      if (Terminated()) return;  // keep what was collected
      TIPAddr v = current;
      RandomizeIPAddrBits(v, range.StepPosition - range.RandomBits, range.RandomBits, FRandom);
      if (!(usable && (SameIPAddr(v, start) || SameIPAddr(v, end)))) {
        text.clear();
        AppendIPAddrText(text, v, escape);
        if (FExcludes.Count() == 0 || !FExcludes.AnyMatches(text)) {
          const int index = FAddresses.Add(v);
          FRangeIndexes.Add(rangeIndex);
          FCandidates.push_back({text, index});
          Report([](IProgressSink& p) {
            p.IncProgress(1);
            p.IncProcessed(1);
          });
          if (inOrderCount && static_cast<int64_t>(FCandidates.size()) >= FCount) return;
        }
      }
      IncIPAddr(current, range.StepPosition);
      if (SameIPAddr(current, start)) return;
    }
  }

  void Select(int64_t k) {
    k = std::min<int64_t>(k, static_cast<int64_t>(FCandidates.size()));
    if (k <= 0) return;
    if (!E.RandomOrder()) {
      if (!FPorts && FLines.empty() && k == static_cast<int64_t>(FCandidates.size())) {
        FLines = std::move(FCandidates);  // the common "all, in order" run: nothing to copy
        FCandidates.clear();
        return;
      }
      for (int64_t j = 0; j < k; ++j) Emit(FCandidates[static_cast<size_t>(j)]);
      return;
    }
    size_t left = FCandidates.size();
    for (int64_t taken = 0; taken < k; ++taken) {
      const size_t j = static_cast<size_t>(RandomBelow(FRandom, left));
      Emit(FCandidates[j]);
      if (j < left - 1) FCandidates[j] = std::move(FCandidates[left - 1]);
      --left;
    }
  }

  // A taken candidate becomes its lines: one, or one per port, all together.
  void Emit(TIndexedLine& candidate) {
    if (!FPorts) {
      FLines.push_back(std::move(candidate));
      return;
    }
    for (const auto& suffix : *FPorts) FLines.push_back({candidate.Text + suffix, candidate.Index});
  }

  void PutNamesInFront() {
    TNameTemplate names(E.NameTemplate(), E.CounterSymbol(), E.FirstCounter(), E.CounterStep(), E.CounterDigits());
    const std::string& delimiter = E.NameDelimiter();
    for (auto& line : FLines) {
      const TIPAddr& address = FAddresses.IPAddress(line.Index);
      const std::string& rangeName = FRanges[static_cast<size_t>(FRangeIndexes.Value(line.Index))].Name;
      line.Text = names.Next(address, rangeName) + delimiter + line.Text;
    }
  }

  TKorrinUtils& E;
  IProgressSink* FProgress;
  std::optional<std::vector<std::string>> FPorts;  // none is not the same as an empty list
  TGenerateCounts FCountMode = TGenerateCounts::gcAllCount;
  int32_t FCount = 0;
  int64_t FTotal = 0;
  std::vector<TRangeEntry> FRanges;
  TExcludeList FExcludes;
  TRandom FRandom;
  TIPAddrList FAddresses;
  TIntList FRangeIndexes;
  std::vector<TIndexedLine> FCandidates;
  std::vector<TIndexedLine> FLines;
};

}  // namespace

bool TKorrinUtils::PerformGenerateIPList(std::string& resultText) {
  resultText.clear();
  TGenerationRun(*this, FProgress).Execute();
  resultText = Format("%d IPs generated.", static_cast<int>(FIPList.size()));
  if (FProgress) FProgress->SetPosition(FProgress->Max());
  return true;
}

}  // namespace korrin
