#include "generator/generation_engine.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <memory>
#include <utility>

#include "address/ip_addr_list.h"
#include "common/random.h"
#include "common/text.h"
#include "generator/address_progression.h"
#include "generator/country_column.h"
#include "generator/exclude_list.h"
#include "generator/int_list.h"
#include "generator/keyed_permutation.h"
#include "generator/name_template.h"
#include "generator/port_list.h"
#include "generator/range_line.h"
#include "generator/range_selection.h"

namespace korrin {

namespace {

// Progress counters are shared with the display thread: batch the per-address increments.
constexpr int kProgressBatch = 1024;
// Up-front reservation for the collected addresses, when the expected size is known.
constexpr int64_t kMaxReserve = int64_t{1} << 22;
// A count with exclusions walks at most this many addresses (about a third of a second); past
// them it gives a bound.
constexpr int64_t kMaxCountWalk = int64_t{1} << 22;
// Generated names pad their counter to at most this many digits.
constexpr int32_t kMaxCounterDigits = 64;

struct TRangeEntry {
  std::string Name;
  TAddressProgression Walk;
  std::vector<TIPAddrSpan> Pieces;  // an octet range's spans, when it has several
  size_t Line = 0;                  // the index of its range line
  TRangeSelection Selection;        // the indices the run takes, before masks and filters
  // Earlier ranges of a finer pattern than this one's stride: with --unique their addresses are
  // left out one by one, since as index intervals they could be countless.
  std::vector<size_t> EarlierFilters;
};

bool ProgressionContains(const TAddressProgression& walk, const TIPAddr& address) {
  if (address.ip_family != walk.First.ip_family) return false;
  const TUInt128 base = IPAddrValue(walk.First), value = IPAddrValue(address);
  if (value < base) return false;
  if (walk.LastIndex == 0) return value == base;
  const TUInt128 offset = value - base;
  return (offset & ((TUInt128{1} << walk.StrideBit) - 1)) == 0 && (offset >> walk.StrideBit) <= walk.LastIndex;
}

// "2^k" for a power of two, as the window sizes are named; the number otherwise.
std::string SizeText(const TWideCount& size) {
  const int bits = size.IndexBits();
  return size == TWideCount::PowerOfTwo(bits) ? Format("2^%d", bits) : size.ToString();
}

// One run of the engine: owns every list it builds, so an exception releases them all.
// Candidates are collected addresses; their texts are written once, straight into the lines.
class TGenerationRun {
 public:
  TGenerationRun(TKorrinUtils& engine, IProgressSink* progress, TRangeLinesReport& report)
      : FEngine(engine), FProgress(progress), FReport(report) {}

  void Execute() {
    Report([](IProgressSink& p) {
      p.SetStatus("Action: Generate IP List");
      p.SetPosition(0);
      p.SetMax(100);
      p.SetProcessed(0);
    });
    if (FEngine.GenerateNames() && FEngine.CounterDigits() > kMaxCounterDigits)
      throw Exception(
          Format("Too many digits (%d)\r\nMax. digit count: %d", FEngine.CounterDigits(), kMaxCounterDigits));
    Prepare();
    PrepareExcludes();
    Select();
    CheckSizes();
    if (FEngine.AddPortNumbers()) FPorts = ReadPortList(FEngine.PortNumbers());
    Report([this](IProgressSink& p) {
      p.SetMax(FTotal);
      p.SetPosition(0);
      p.SetProcessed(0);
    });
    Generate();
  }

  TLineCount Count() {
    Prepare();
    PrepareExcludes();
    Select();
    TLineCount c{0, true};
    if (FCountMode == TGenerateCounts::gcAllCount) {
      for (size_t i = 0; i < FRanges.size(); ++i) c.Lines += EligibleCount(i, std::nullopt, c.Exact);
    } else if (FCount > 0) {
      const TWideCount n(static_cast<TUInt128>(FCount));
      const bool total = FCountMode == TGenerateCounts::gcTotalCount;
      // A total is reached, exactly, once the ranges counted exactly hold n.
      for (size_t i = 0; i < FRanges.size() && !(total && c.Exact && c.Lines >= n); ++i)
        c.Lines += std::min(n, EligibleCount(i, n, c.Exact));
      if (total) c.Lines = std::min(c.Lines, n);
    }
    if (FEngine.AddPortNumbers()) c.Lines = c.Lines.Times(CountPorts(FEngine.PortNumbers()));
    return c;
  }

 private:
  template <typename F>
  void Report(F&& f) {
    if (FProgress) f(*FProgress);
  }
  bool Terminated() const { return FProgress && FProgress->Terminated(); }

  void Prepare() {
    FCountMode = FEngine.GenerateCountMode();
    FCount = FCountMode == TGenerateCounts::gcAllCount ? 0 : FEngine.GenerateCount();
    FReport = TRangeLinesReport();
    std::string problem;
    for (size_t index = 0; index < FEngine.IPRanges().size(); ++index) {
      const std::string& line = FEngine.IPRanges()[index];
      std::vector<TRangeLine> ranges = ReadRangeItems(line, problem);
      if (ranges.empty()) {
        if (!problem.empty() && FReport.SkippedCount++ < TKorrinUtils::kMaxSkippedLinesKept)
          FReport.Skipped.push_back({static_cast<int64_t>(index) + 1, line, problem});
        continue;
      }
      ++FReport.Read;
      for (TRangeLine& range : ranges) {
        const TAddressProgression walk = ProgressionOf(range);
        FRanges.push_back({std::move(range.Name), walk, std::move(range.Pieces), index, {}, {}});
      }
    }
  }

  void PrepareExcludes() {
    FExcludes.SetEscapeIPv6(FEngine.EscapeIPv6());
    if (FEngine.DoExclude())
      for (const auto& mask : FEngine.ExcludeMasks())
        if (!mask.empty()) FExcludes.Add(mask);
  }

  // Each range's selection: its addresses less its network ends and the exclusions as intervals,
  // and less the ranges before it when each address is to come once. Without that, the addresses
  // the ranges before it already gave are counted for the warning.
  void Select() {
    const bool unique = FEngine.UniqueAddresses();
    TAddressValueSet earlierSpans;  // the addresses of earlier ranges that are spans
    std::vector<size_t> earlierPatterns;
    for (size_t i = 0; i < FRanges.size(); ++i) {
      TRangeEntry& range = FRanges[i];
      const TAddressProgression& walk = range.Walk;
      std::vector<TIndexSpan> base, holes;
      TIndexSpan span;
      if (range.Pieces.empty()) base.push_back({0, walk.LastIndex});
      for (const TIPAddrSpan& piece : range.Pieces)
        if (IndexSpanOf(walk, IPAddrValue(piece.First), IPAddrValue(piece.Last), span)) base.push_back(span);
      FExcludes.Sets().AppendIndexSpans(walk, holes);
      if (FEngine.UsableHostIPAddresses())
        for (const TUInt128 end : {TUInt128{0}, walk.LastIndex})
          if (walk.IsNetworkEnd(end)) holes.push_back({end, end});
      const size_t ownHoles = holes.size();
      earlierSpans.AppendIndexSpans(walk, holes);
      for (const size_t k : earlierPatterns) {
        const TAddressProgression& earlier = FRanges[k].Walk;
        if (earlier.First.ip_family != walk.First.ip_family ||
            !IndexSpanOf(walk, IPAddrValue(earlier.First), IPAddrValue(earlier.At(earlier.LastIndex)), span))
          continue;
        if (walk.LastIndex == 0) {
          if (ProgressionContains(earlier, walk.First)) holes.push_back(span);
        } else if (earlier.StrideBit > walk.StrideBit) {
          // A sparser pattern could make countless holes in this range's indices.
          if (unique) range.EarlierFilters.push_back(k);
        } else if (((IPAddrValue(walk.First) - IPAddrValue(earlier.First)) &
                    ((TUInt128{1} << earlier.StrideBit) - 1)) == 0) {
          holes.push_back(span);  // a pattern no sparser than this range's stride holds a run of it
        }
      }
      if (unique) {
        range.Selection = TRangeSelection(base, std::move(holes));
      } else {
        range.Selection = TRangeSelection(base, {holes.begin(), holes.begin() + static_cast<ptrdiff_t>(ownHoles)});
        if (holes.size() > ownHoles) NoteRepeats(range, range.Selection.Count() - TRangeSelection(base, holes).Count());
      }
      if (walk.StrideBit == 0 || walk.LastIndex == 0) {
        if (range.Pieces.empty()) earlierSpans.Add({walk.First, walk.At(walk.LastIndex)});
        for (const TIPAddrSpan& piece : range.Pieces) earlierSpans.Add(piece);
      } else {
        earlierPatterns.push_back(i);
      }
    }
  }

  void NoteRepeats(const TRangeEntry& range, const TWideCount& repeats) {
    if (repeats == TWideCount(0)) return;
    FReport.Repeated += repeats;
    const bool sameLine = std::exchange(FLastOverlapLine, range.Line) == range.Line;
    if (sameLine && FReport.OverlapCount <= TKorrinUtils::kMaxSkippedLinesKept) {
      FReport.Overlaps.back().Repeats += repeats;  // another item of the same line
      return;
    }
    if (!sameLine && FReport.OverlapCount++ < TKorrinUtils::kMaxSkippedLinesKept)
      FReport.Overlaps.push_back(
          {static_cast<int64_t>(range.Line) + 1, std::string(Trim(FEngine.IPRanges()[range.Line])), repeats});
  }

  // The size limits, then the one bound on the lines, all before anything is allocated.
  void CheckSizes() {
    const int32_t maxIPs = FEngine.MaxIPs();
    const TWideCount windowMax = TWideCount::PowerOfTwo(std::bit_width(static_cast<uint32_t>(maxIPs - 1)));
    if (FCountMode == TGenerateCounts::gcTotalCount) {
      FTotal = FCount;
      if (FCount > maxIPs) throw Exception(Format("Too many IPs (%d)\r\nMax. IP count: %d", FCount, maxIPs));
    }
    TWideCount addresses;
    for (const TRangeEntry& range : FRanges) {
      const TWideCount size = range.Selection.Count();
      if (FCountMode == TGenerateCounts::gcForEach) {
        FTotal += FCount;
        if (FTotal > maxIPs)
          throw Exception(Format("Too many IPs (%lld)\r\nMax. IP count: %d", static_cast<long long>(FTotal), maxIPs));
        addresses += std::min(size, TWideCount(static_cast<TUInt128>(std::max(FCount, 0))));
      } else if (FCountMode == TGenerateCounts::gcAllCount) {
        if (size > windowMax)
          throw Exception(Format("Too many IPs (%s)\r\nMax. IP count: %d", SizeText(size).c_str(), maxIPs));
        FTotal += static_cast<int64_t>(size.Low());
        addresses += size;
      } else {
        addresses += size;
      }
    }
    if (FCountMode == TGenerateCounts::gcTotalCount)
      addresses = std::min(addresses, TWideCount(static_cast<TUInt128>(std::max(FCount, 0))));
    // Every address may become one line per port: refuse a run whose lines could not fit.
    const TWideCount lines = FEngine.AddPortNumbers() ? addresses.Times(CountPorts(FEngine.PortNumbers())) : addresses;
    if (lines > TWideCount(static_cast<TUInt128>(FEngine.MaxLines())))
      throw Exception(Format("Too many lines (%s)\r\nMax. line count: %lld", lines.ToString().c_str(),
                             static_cast<long long>(FEngine.MaxLines())));
  }

  // Whether a selected address of the range passes the masks and the filters, which are asked
  // address by address.
  bool HasFilters(const TRangeEntry& range) const { return FExcludes.HasMasks() || !range.EarlierFilters.empty(); }
  bool Eligible(const TRangeEntry& range, const TIPAddr& address) const {
    if (FExcludes.MasksExclude(address)) return false;
    for (const size_t k : range.EarlierFilters)
      if (ProgressionContains(FRanges[k].Walk, address)) return false;
    return true;
  }

  // Calls visit(index, address) for the selected addresses of a range in order while it returns
  // true; false when it stopped early.
  template <typename F>
  bool ForEachSelected(const TRangeEntry& range, F&& visit) const {
    for (const TIndexSpan& span : range.Selection.Spans())
      for (TUInt128 index = span.First;; ++index) {
        if (!visit(range.Walk.At(index))) return false;
        if (index == span.Last) break;
      }
    return true;
  }

  // The eligible addresses of range i, counted up to cap. Past the walk budget (or at Break) the
  // rest of the range counts as eligible, which makes the result an upper bound and clears exact.
  TWideCount EligibleCount(size_t i, std::optional<TWideCount> cap, bool& exact) {
    const TRangeEntry& range = FRanges[i];
    if (!HasFilters(range)) return range.Selection.Count();
    TWideCount eligible, seen;
    const bool walked = ForEachSelected(range, [&](const TIPAddr& address) {
      if (FCountWalkLeft == 0 || Terminated()) return false;
      --FCountWalkLeft;
      seen += 1;
      if (Eligible(range, address)) eligible += 1;
      return !(cap && eligible >= *cap);
    });
    if (walked || (cap && eligible >= *cap)) return eligible;
    exact = false;
    return eligible + (range.Selection.Count() - seen);
  }

  void Generate() {
    if (FEngine.ResolveIPCountry()) {
      if (FEngine.MMDBFilePath().empty()) throw Exception("Invalid arguments");
      std::error_code ec;
      if (!std::filesystem::exists(FEngine.MMDBFilePath(), ec) ||
          std::filesystem::is_directory(FEngine.MMDBFilePath(), ec))
        throw Exception("MMDB File not found");
    }
    TTextLines& ipList = FEngine.IPList();
    if (!FEngine.Append()) ipList.clear();
    if (FRanges.empty()) return;
    FRandom.seed(FEngine.RandomSeed() ? *FEngine.RandomSeed() : FreshSeed());
    if (FEngine.ResolveIPCountry()) FCountries = std::make_unique<TCountryColumn>(FEngine.MMDBFilePath());
    FNeedOrigins = FEngine.GenerateNames() || FEngine.ResolveIPCountry();
    const int reserve = static_cast<int>(std::clamp<int64_t>(FTotal, 0, kMaxReserve));
    FAddresses.SetCapacity(reserve);
    if (FNeedOrigins) FRangeIndexes.SetCapacity(reserve);

    const int ranges = static_cast<int>(FRanges.size());
    if (FCountMode == TGenerateCounts::gcAllCount) {
      for (int i = 0; i < ranges && !Terminated(); ++i) Walk(i, false);
      if (FEngine.RandomOrder()) EmitShuffled();
      else EmitInOrder(CandidateCount());
    } else if (!FEngine.RandomOrder()) {
      for (int i = 0; i < ranges && !Terminated(); ++i) {
        Walk(i, true);
        if (FCountMode == TGenerateCounts::gcForEach) {
          EmitInOrder(FCount);
          FFirstCandidate = FAddresses.Count();
        } else if (CandidateCount() >= FCount) {
          break;
        }
      }
      if (FCountMode == TGenerateCounts::gcTotalCount) EmitInOrder(FCount);
    } else if (FCountMode == TGenerateCounts::gcTotalCount) {
      Sample(0, ranges);
      EmitInOrder(CandidateCount());
    } else {
      for (int i = 0; i < ranges && !Terminated(); ++i) {
        Sample(i, i + 1);
        EmitInOrder(CandidateCount());
        FFirstCandidate = FAddresses.Count();
      }
    }

    if (FCountries) AppendCountryCodes();
    if (FEngine.GenerateNames()) PutNamesInFront();
    if (ipList.empty()) ipList.swap(FLines);
    else ipList.Append(FLines);
  }

  // Collects one eligible address of range rangeIndex, with its progress report batched.
  void Collect(const TIPAddr& address, int rangeIndex, int& unreported) {
    FAddresses.Add(address);
    if (FNeedOrigins) FRangeIndexes.Add(rangeIndex);
    if (++unreported == kProgressBatch) Flush(unreported);
  }
  void Flush(int& unreported) {
    Report([unreported](IProgressSink& p) {
      p.IncProgress(unreported);
      p.IncProcessed(unreported);
    });
    unreported = 0;
  }

  // Collects the eligible addresses of one range in order, stopping at the count when asked.
  void Walk(int rangeIndex, bool stopAtCount) {
    const TRangeEntry& range = FRanges[static_cast<size_t>(rangeIndex)];
    int unreported = 0;
    ForEachSelected(range, [&](const TIPAddr& address) {
      if (Terminated()) return false;  // keep what was collected
      if (!Eligible(range, address)) return true;
      Collect(address, rangeIndex, unreported);
      return !(stopAtCount && CandidateCount() >= FCount);
    });
    Flush(unreported);
  }

  // Collects a uniform sample of FCount eligible addresses of the ranges first .. end - 1
  // together, in random order: the first eligible ones of a keyed permutation of all their
  // selected addresses. Each address is looked at once at most, so the search ends when the ranges hold
  // fewer, and it stops early at Break.
  void Sample(int first, int end) {
    std::vector<TWideCount> starts;  // the index of each range's first address in the whole
    TWideCount size;
    for (int i = first; i < end; ++i) {
      starts.push_back(size);
      size += FRanges[static_cast<size_t>(i)].Selection.Count();
    }
    const TKeyedPermutation order(size, FRandom);
    int unreported = 0;
    for (TWideCount j; j < size && CandidateCount() < FCount && !Terminated(); j += 1) {
      const TWideCount x = order(j);
      const auto at = std::upper_bound(starts.begin(), starts.end(), x) - 1;
      const int rangeIndex = first + static_cast<int>(at - starts.begin());
      const TRangeEntry& range = FRanges[static_cast<size_t>(rangeIndex)];
      const TIPAddr address = range.Walk.At(range.Selection.IndexAt(x - *at));
      if (Eligible(range, address)) Collect(address, rangeIndex, unreported);
    }
    Flush(unreported);
  }

  // The candidates are the addresses collected since FFirstCandidate.
  int64_t CandidateCount() const { return FAddresses.Count() - FFirstCandidate; }

  void ReserveLines(int64_t k) {
    FLines.reserve(FLines.size() + static_cast<size_t>(k) * (FPorts ? FPorts->size() : 1),
                   FLines.Text().size() + static_cast<size_t>(k) * 16);
  }

  // The first k candidates in their order: a walk's order, or a sample's random one.
  void EmitInOrder(int64_t k) {
    k = std::min<int64_t>(k, CandidateCount());
    if (k <= 0) return;
    ReserveLines(k);
    for (int64_t j = 0; j < k; ++j) Emit(FFirstCandidate + static_cast<int>(j));
  }

  // Every candidate, in a uniformly random order.
  void EmitShuffled() {
    const int64_t k = CandidateCount();
    if (k <= 0) return;
    ReserveLines(k);
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
    const bool escape = FEngine.EscapeIPv6();
    if (!FPorts) {
      AppendIPAddrText(FLines.BeginLine(), address, escape);
      FLines.EndLine();
      if (FNeedOrigins) FLineIndexes.push_back(index);
      return;
    }
    // "fdc7::1:80" would itself be an address: with a port, IPv6 is always in brackets.
    const bool bracket = escape || address.ip_family == TIPAddrFamily::IPv6;
    for (const auto& suffix : *FPorts) {
      std::string& line = FLines.BeginLine();
      AppendIPAddrText(line, address, bracket);
      line += suffix;
      FLines.EndLine();
      if (FNeedOrigins) FLineIndexes.push_back(index);
    }
  }

  // The run's delimiter: between name and address, and before the country code.
  std::string Delimiter() const { return FEngine.GenerateNames() ? FEngine.NameDelimiter() : " "; }

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
    TNameTemplate names(FEngine.NameTemplate(), FEngine.CounterSymbol(), FEngine.FirstCounter(), FEngine.CounterStep(),
                        FEngine.CounterDigits());
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

  TKorrinUtils& FEngine;
  IProgressSink* FProgress;
  TRangeLinesReport& FReport;
  std::optional<std::vector<std::string>> FPorts;  // none is not the same as an empty list
  TGenerateCounts FCountMode = TGenerateCounts::gcAllCount;
  int32_t FCount = 0;
  int64_t FTotal = 0;
  int64_t FCountWalkLeft = kMaxCountWalk;
  std::vector<TRangeEntry> FRanges;
  size_t FLastOverlapLine = SIZE_MAX;
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
  TGenerationRun(*this, FProgress, FReport).Execute();
  resultText = Format("%d IPs generated.", static_cast<int>(FIPList.size()));
  if (FProgress) FProgress->SetPosition(FProgress->Max());
}

TLineCount TKorrinUtils::CountIPList() { return TGenerationRun(*this, FProgress, FReport).Count(); }

std::string SkippedLinesSummary(const TKorrinUtils& engine) {
  if (engine.SkippedLineCount() == 0) return {};
  const TSkippedRangeLine& first = engine.SkippedLines().front();
  return Format("%s range %s skipped: line %s '%s': %s", FormatCount(engine.SkippedLineCount()).c_str(),
                engine.SkippedLineCount() == 1 ? "line" : "lines", FormatCount(first.Line).c_str(),
                std::string(Trim(first.Text)).c_str(), first.Reason.c_str());
}

std::string OverlapsSummary(const TKorrinUtils& engine) {
  if (engine.OverlappingLineCount() == 0) return {};
  const TOverlappingRangeLine& first = engine.OverlappingLines().front();
  const std::string more = engine.OverlappingLineCount() == 1
                               ? std::string()
                               : Format(" (%s range lines in all)", FormatCount(engine.OverlappingLineCount()).c_str());
  return Format("%s %s: line %s '%s' repeats addresses of the lines before it%s",
                engine.RepeatedAddresses().ToString().c_str(),
                engine.RepeatedAddresses() == TWideCount(1) ? "address repeats" : "addresses repeat",
                FormatCount(first.Line).c_str(), first.Text.c_str(), more.c_str());
}

}  // namespace korrin
