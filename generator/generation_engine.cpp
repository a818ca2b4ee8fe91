#include "generator/generation_engine.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "address/ip_addr_list.h"
#include "common/random.h"
#include "common/text.h"
#include "generator/country_column.h"
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

// Progress counters are shared with the display thread: batch the per-address increments.
constexpr int kProgressBatch = 1024;
// Up-front reservation for the collected addresses, when the expected size is known.
constexpr int64_t kMaxReserve = int64_t{1} << 22;

struct TRangeEntry {
  std::string Name;
  TIPAddr Base;
  TIPAddr Mask;
  int StepPosition;  // W - s: the lowest varying bit
  int RandomBits;    // bits below the walked ones that get random 1 bits
};

// One run of the engine: owns every list it builds, so an exception releases them all.
// Candidates are collected addresses; their texts are written once, straight into the lines.
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
    TTextLines& ipList = E.IPList();
    if (!E.Append()) ipList.clear();
    if (FRanges.empty()) return;
    FRandom.seed(E.RandomSeed() ? *E.RandomSeed() : FreshSeed());
    if (E.ResolveIPCountry()) FCountries = std::make_unique<TCountryColumn>(E.MMDBFilePath());
    FNeedOrigins = E.GenerateNames() || E.ResolveIPCountry();
    const int reserve = static_cast<int>(std::clamp<int64_t>(FTotal, 0, kMaxReserve));
    FAddresses.SetCapacity(reserve);
    if (FNeedOrigins) FRangeIndexes.SetCapacity(reserve);

    const bool inOrderCount = !E.RandomOrder() && FCountMode != TGenerateCounts::gcAllCount;
    for (int i = 0; i < static_cast<int>(FRanges.size()) && !Terminated(); ++i) {
      Walk(i, inOrderCount);
      if (FCountMode == TGenerateCounts::gcForEach) {
        Select(FCount);
        FFirstCandidate = FAddresses.Count();
      } else if (inOrderCount && CandidateCount() >= FCount) {
        break;
      }
    }
    if (FCountMode == TGenerateCounts::gcAllCount) Select(CandidateCount());
    else if (FCountMode == TGenerateCounts::gcTotalCount) Select(FCount);

    if (FCountries) AppendCountryCodes();
    if (E.GenerateNames()) PutNamesInFront();
    if (ipList.empty()) ipList.swap(FLines);
    else ipList.Append(FLines);
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
    const bool excluding = FExcludes.Count() > 0;
    std::string text;
    int unreported = 0;
    auto flush = [&] {
      Report([unreported](IProgressSink& p) {
        p.IncProgress(unreported);
        p.IncProcessed(unreported);
      });
      unreported = 0;
    };
    for (TIPAddr current = start; SameMaskedIPAddr(current, start, range.Mask);) {
      if (Terminated()) break;  // keep what was collected
      TIPAddr v = current;
      if (range.RandomBits > 0) RandomizeIPAddrBits(v, range.StepPosition - range.RandomBits, range.RandomBits, FRandom);
      bool take = !(usable && (SameIPAddr(v, start) || SameIPAddr(v, end)));
      if (take && excluding) {
        text.clear();
        AppendIPAddrText(text, v, escape);
        take = !FExcludes.AnyMatches(text);
      }
      if (take) {
        FAddresses.Add(v);
        if (FNeedOrigins) FRangeIndexes.Add(rangeIndex);
        if (++unreported == kProgressBatch) flush();
        if (inOrderCount && CandidateCount() >= FCount) break;
      }
      IncIPAddr(current, range.StepPosition);
      if (SameIPAddr(current, start)) break;
    }
    flush();
  }

  // The candidates are the addresses collected since FFirstCandidate.
  int64_t CandidateCount() const { return FAddresses.Count() - FFirstCandidate; }

  void Select(int64_t k) {
    k = std::min<int64_t>(k, CandidateCount());
    if (k <= 0) return;
    FLines.reserve(FLines.size() + static_cast<size_t>(k) * (FPorts ? FPorts->size() : 1),
                   FLines.Text().size() + static_cast<size_t>(k) * 16);
    if (!E.RandomOrder()) {
      for (int64_t j = 0; j < k; ++j) Emit(FFirstCandidate + static_cast<int>(j));
      return;
    }
    std::vector<int> candidates(static_cast<size_t>(CandidateCount()));
    for (size_t i = 0; i < candidates.size(); ++i) candidates[i] = FFirstCandidate + static_cast<int>(i);
    // The draws depend only on how many are left, so they are made ahead and their candidates
    // and addresses fetched into the cache before they are needed: random picks out of a million
    // would otherwise wait on memory twice each.
    constexpr int64_t kAhead = 16;
    size_t draws[kAhead];
    const size_t count = candidates.size();
    auto draw = [&](int64_t t) { draws[t % kAhead] = static_cast<size_t>(RandomBelow(FRandom, count - t)); };
    for (int64_t t = 0; t < std::min(k, kAhead); ++t) draw(t);
    for (int64_t taken = 0; taken < k; ++taken) {
      if (taken + kAhead / 2 < k) {
        const size_t ahead = draws[(taken + kAhead / 2) % kAhead];
        __builtin_prefetch(&FAddresses.IPAddress(candidates[ahead]));
      }
      const size_t j = draws[taken % kAhead];
      const size_t left = count - static_cast<size_t>(taken);
      Emit(candidates[j]);
      if (j < left - 1) candidates[j] = candidates[left - 1];
      if (taken + kAhead < k) {
        draw(taken + kAhead);
        __builtin_prefetch(&candidates[draws[(taken + kAhead) % kAhead]]);
      }
    }
  }

  // A taken candidate becomes its lines: one, or one per port, all together.
  void Emit(int index) {
    const TIPAddr& address = FAddresses.IPAddress(index);
    const bool escape = E.EscapeIPv6();
    if (!FPorts) {
      AppendIPAddrText(FLines.BeginLine(), address, escape);
      FLines.EndLine();
      if (FNeedOrigins) FLineIndexes.push_back(index);
      return;
    }
    for (const auto& suffix : *FPorts) {
      std::string& line = FLines.BeginLine();
      AppendIPAddrText(line, address, escape);
      line += suffix;
      FLines.EndLine();
      if (FNeedOrigins) FLineIndexes.push_back(index);
    }
  }

  // The run's delimiter: between name and address, and before the country code.
  std::string Delimiter() const { return E.GenerateNames() ? E.NameDelimiter() : " "; }

  void AppendCountryCodes() {
    // Looked up in address order: neighbouring look-ups share their path down the search tree
    // and often their record, where a random order would miss the cache at every step.
    struct TLookup {
      TIPAddr Address;
      uint32_t Line;
    };
    std::vector<TLookup> lookups(FLines.size());
    for (size_t i = 0; i < lookups.size(); ++i)
      lookups[i] = {FAddresses.IPAddress(FLineIndexes[i]), static_cast<uint32_t>(i)};
    std::sort(lookups.begin(), lookups.end(), [](const TLookup& a, const TLookup& b) {
      if (a.Address.ip_family != b.Address.ip_family) return a.Address.ip_family < b.Address.ip_family;
      if (a.Address.ip_family == TIPAddrFamily::IPv4) return a.Address.ipv4.Value < b.Address.ipv4.Value;
      return std::lexicographical_compare(a.Address.ipv6.Groups.rbegin(), a.Address.ipv6.Groups.rend(),
                                          b.Address.ipv6.Groups.rbegin(), b.Address.ipv6.Groups.rend());
    });
    std::vector<const std::string*> codes(FLines.size());
    for (const TLookup& l : lookups) codes[l.Line] = &FCountries->CodeOf(l.Address);
    std::vector<TLookup>().swap(lookups);

    const std::string delimiter = Delimiter();
    TTextLines coded;
    coded.reserve(FLines.size(), FLines.Text().size() + FLines.size() * (delimiter.size() + 2));
    for (size_t i = 0; i < FLines.size(); ++i) {
      std::string& line = coded.BeginLine();
      line += FLines[i];
      line += delimiter;
      line += *codes[i];
      coded.EndLine();
    }
    FLines.swap(coded);
  }

  void PutNamesInFront() {
    TNameTemplate names(E.NameTemplate(), E.CounterSymbol(), E.FirstCounter(), E.CounterStep(), E.CounterDigits());
    const std::string delimiter = Delimiter();
    TTextLines named;
    named.reserve(FLines.size(), FLines.Text().size() * 2);
    for (size_t i = 0; i < FLines.size(); ++i) {
      const int index = FLineIndexes[i];
      const std::string& rangeName = FRanges[static_cast<size_t>(FRangeIndexes.Value(index))].Name;
      std::string& line = named.BeginLine();
      line += names.Next(FAddresses.IPAddress(index), rangeName);
      line += delimiter;
      line += FLines[i];
      named.EndLine();
    }
    FLines.swap(named);
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
  int FFirstCandidate = 0;
  // Where each line came from, kept only for the names and the country column.
  bool FNeedOrigins = false;
  TIntList FRangeIndexes;         // the range of each collected address
  std::vector<int> FLineIndexes;  // the collected address of each line
  TTextLines FLines;
  std::unique_ptr<TCountryColumn> FCountries;
};

}  // namespace

void TKorrinUtils::PerformGenerateIPList(std::string& resultText) {
  resultText.clear();
  TGenerationRun(*this, FProgress).Execute();
  resultText = Format("%d IPs generated.", static_cast<int>(FIPList.size()));
  if (FProgress) FProgress->SetPosition(FProgress->Max());
}

}  // namespace korrin
