#include "generator/generation_engine.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <limits>
#include <memory>
#include <span>
#include <utility>

#include "common/random.h"
#include "common/text.h"
#include "generator/address_progression.h"
#include "generator/country_column.h"
#include "generator/exclude_list.h"
#include "generator/keyed_permutation.h"
#include "generator/name_template.h"
#include "generator/port_list.h"
#include "generator/range_line.h"
#include "generator/range_selection.h"

namespace korrin {

namespace {

// Progress counters are shared with the display thread: batch the per-address increments.
constexpr int kProgressBatch = 1024;
// Up-front reservation for the kept lines, when the expected size is known.
constexpr int64_t kMaxReserve = int64_t{1} << 22;
// The lines a run with a sink holds and hands over at a time.
constexpr int64_t kBatchLines = 65536;
// A walk or sample that takes every eligible address.
constexpr TUInt128 kUnbounded = ~TUInt128{0};
// A count with exclusions walks at most this many addresses (about a third of a second); past
// them it gives a bound.
constexpr int64_t kMaxCountWalk = int64_t{1} << 22;
// Generated names pad their counter to at most this many digits.
constexpr int32_t kMaxCounterDigits = 64;

// What few ranges have, kept apart so that the many without it cost nothing for it.
struct TRangeExtras {
  std::vector<TIPAddrSpan> Pieces;  // an octet range's spans, when it has several
  // Earlier ranges of a finer pattern than this one's stride: with --unique their addresses are
  // left out one by one, since as index intervals they could be countless.
  std::vector<size_t> EarlierFilters;
};

// A run holds one for each range, for the counts and samples over all of them: it is kept small.
struct TRangeEntry {
  TAddressProgression Walk;
  TRangeSelection Selection;  // the indices the run takes, before masks and filters
  std::string_view Name;      // a view into its range line
  size_t Line = 0;            // the index of its range line
  std::unique_ptr<TRangeExtras> Extras;

  std::span<const TIPAddrSpan> Pieces() const {
    return Extras ? std::span<const TIPAddrSpan>(Extras->Pieces) : std::span<const TIPAddrSpan>();
  }
  std::span<const size_t> EarlierFilters() const {
    return Extras ? std::span<const size_t>(Extras->EarlierFilters) : std::span<const size_t>();
  }
  TRangeExtras& MakeExtras() {
    if (!Extras) Extras = std::make_unique<TRangeExtras>();
    return *Extras;
  }
};

bool ProgressionContains(const TAddressProgression& walk, const TIPAddr& address) {
  const TUInt128 value = IPAddrValue(address);
  TIndexSpan index;
  return address.ip_family == walk.First.ip_family && IndexSpanOf(walk, value, value, index);
}

// "2^k" for a power of two, as the window sizes are named; the number otherwise.
std::string SizeText(const TWideCount& size) {
  const int bits = size.IndexBits();
  return size == TWideCount::PowerOfTwo(bits) ? Format("2^%d", bits) : size.ToString();
}

// The lines of a run to write: [First, End) of its whole list. Whole is the common case with
// nothing to compare.
struct TLinePart {
  TWideCount First;
  TWideCount End;
  bool Whole = true;
};

// One run of the engine: owns every list it builds, so an exception releases them all.
// Addresses become lines as they are taken: a run that hands its lines to a sink holds one batch
// of them at a time, whatever the size of its list.
class TGenerationRun {
 public:
  TGenerationRun(TKorrinUtils& engine, IProgressSink* progress, TRangeLinesReport& report,
                 const TKorrinUtils::TLineSink* sink)
      : FEngine(engine), FProgress(progress), FReport(report), FSink(sink) {}

  // The lines written, to the sink or the output list; the part's lines only, when given one.
  uint64_t Execute(uint64_t seed, const TLinePart& part = {}) {
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
    FPart = part;
    FDone = !FPart.Whole && FPart.End <= FPart.First;
    Generate(seed);
    return FWritten;
  }
  // The lines of the whole list passed, with a part: its count, once the run has passed them all.
  const TWideCount& Position() const { return FPosition; }
  const std::string& MMDBWarning() const { return FMMDBWarning; }

  TLineCount Count() {
    Prepare();
    PrepareExcludes();
    Select();
    TLineCount c{0, true};
    if (FCountMode == TGenerateCounts::gcAllCount) {
      for (size_t i = 0; i < FRanges.size(); ++i) c.Lines += EligibleCount(i, std::nullopt, c.Exact);
    } else {
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
  bool Stopped() const { return FDone || Terminated(); }

  void Prepare() {
    FCountMode = FEngine.GenerateCountMode();
    FCount = FCountMode == TGenerateCounts::gcAllCount ? 0 : FEngine.GenerateCount();
    if (FCountMode != TGenerateCounts::gcAllCount) CheckGenerateCount(FCount);
    FReport = TRangeLinesReport();
    std::string problem;
    // Most lines are one range: without this, growing the list could take twice its size at once.
    FRanges.reserve(FEngine.IPRanges().size());
    for (size_t index = 0; index < FEngine.IPRanges().size(); ++index) {
      const std::string_view line = FEngine.IPRanges()[index];
      std::vector<TRangeLine> ranges = ReadRangeItems(line, problem);
      if (ranges.empty()) {
        if (!problem.empty() && FReport.SkippedCount++ < TKorrinUtils::kMaxSkippedLinesKept)
          FReport.Skipped.push_back({static_cast<int64_t>(index) + 1, std::string(line), problem});
        continue;
      }
      ++FReport.Read;
      for (TRangeLine& range : ranges) {
        TRangeEntry& entry = FRanges.emplace_back(TRangeEntry{ProgressionOf(range), {}, range.Name, index, nullptr});
        if (!range.Pieces.empty()) entry.MakeExtras().Pieces = std::move(range.Pieces);
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
      if (range.Pieces().empty()) base.push_back({0, walk.LastIndex});
      for (const TIPAddrSpan& piece : range.Pieces())
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
          if (unique) range.MakeExtras().EarlierFilters.push_back(k);
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
        if (range.Pieces().empty()) earlierSpans.Add({walk.First, walk.At(walk.LastIndex)});
        for (const TIPAddrSpan& piece : range.Pieces()) earlierSpans.Add(piece);
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

  // The size limits, then the one bound on the lines, all before anything is allocated. A run
  // that keeps its lines is held to the window's limits; one that hands them to a sink only to
  // the bound on the lines, when it has one.
  void CheckSizes() {
    const bool keeps = !FSink;
    const int32_t maxIPs = FEngine.MaxIPs();
    const TWideCount windowMax = TWideCount::PowerOfTwo(std::bit_width(static_cast<uint32_t>(maxIPs - 1)));
    if (FCountMode == TGenerateCounts::gcTotalCount) {
      FTotal = FCount;
      if (keeps && FCount > maxIPs) throw Exception(Format("Too many IPs (%d)\r\nMax. IP count: %d", FCount, maxIPs));
    }
    TWideCount addresses;
    for (const TRangeEntry& range : FRanges) {
      const TWideCount size = range.Selection.Count();
      if (FCountMode == TGenerateCounts::gcForEach) {
        FTotal += FCount;
        if (keeps && FTotal > maxIPs)
          throw Exception(Format("Too many IPs (%lld)\r\nMax. IP count: %d", static_cast<long long>(FTotal), maxIPs));
        addresses += std::min(size, TWideCount(static_cast<TUInt128>(FCount)));
      } else if (FCountMode == TGenerateCounts::gcAllCount) {
        if (keeps && size > windowMax)
          throw Exception(Format("Too many IPs (%s)\r\nMax. IP count: %d", SizeText(size).c_str(), maxIPs));
        addresses += size;
      } else {
        addresses += size;
      }
    }
    if (FCountMode == TGenerateCounts::gcTotalCount)
      addresses = std::min(addresses, TWideCount(static_cast<TUInt128>(FCount)));
    if (FCountMode == TGenerateCounts::gcAllCount)
      FTotal = static_cast<int64_t>(std::min(addresses, TWideCount(std::numeric_limits<int64_t>::max())).Low());
    // Every address may become one line per port: refuse a run whose lines could not fit.
    const TWideCount lines = FEngine.AddPortNumbers() ? addresses.Times(CountPorts(FEngine.PortNumbers())) : addresses;
    const std::optional<int64_t> maxLines = FEngine.MaxLines();
    if (maxLines && lines > TWideCount(static_cast<TUInt128>(*maxLines)))
      throw Exception(Format("Too many lines (%s)\r\nMax. line count: %lld", lines.ToString().c_str(),
                             static_cast<long long>(*maxLines)));
  }

  // Whether a selected address of the range passes the masks and the filters, which are asked
  // address by address.
  bool HasFilters(const TRangeEntry& range) const { return FExcludes.HasMasks() || !range.EarlierFilters().empty(); }
  bool Eligible(const TRangeEntry& range, const TIPAddr& address) const {
    if (FExcludes.MasksExclude(address)) return false;
    for (const size_t k : range.EarlierFilters())
      if (ProgressionContains(FRanges[k].Walk, address)) return false;
    return true;
  }

  // Calls visit(address) for the selected addresses of a range in order, from the one at selected
  // position `from` on, while it returns true; false when it stopped early.
  template <typename F>
  bool ForEachSelected(const TRangeEntry& range, F&& visit, const TWideCount& from = TWideCount()) const {
    const TUInt128 start = from == TWideCount() ? 0 : range.Selection.IndexAt(from);
    for (const TIndexSpan& span : range.Selection.Spans()) {
      if (span.Last < start) continue;
      for (TUInt128 index = std::max(span.First, start);; ++index) {
        if (!visit(range.Walk.At(index))) return false;
        if (index == span.Last) break;
      }
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

  void Generate(uint64_t seed) {
    if (FEngine.ResolveIPCountry()) {
      if (FEngine.MMDBFilePath().empty()) throw Exception("Invalid arguments");
      std::error_code ec;
      if (!std::filesystem::exists(FEngine.MMDBFilePath(), ec) ||
          std::filesystem::is_directory(FEngine.MMDBFilePath(), ec))
        throw Exception("MMDB File not found");
    }
    if (!FSink && !FEngine.Append()) FEngine.IPList().clear();
    // The lines join the list batch by batch: a run that fails takes its own back out, so an
    // appending run leaves the list as it was (the window refills it from its memo for each job).
    const size_t kept = FEngine.IPList().size();
    try {
      Make(seed);
    } catch (...) {
      if (!FSink) FEngine.IPList().Truncate(kept);
      throw;
    }
  }

  void Make(uint64_t seed) {
    if (FRanges.empty()) return;
    FRandom.seed(seed);
    if (FEngine.ResolveIPCountry())
      FCountries = std::make_unique<TCountryColumn>(FEngine.MMDBFilePath(), FEngine.MMDBFields());
    if (FEngine.GenerateNames()) {
      FNames.emplace(FEngine.NameTemplate(), FEngine.CounterSymbol(), FEngine.FirstCounter(), FEngine.CounterStep(),
                     FEngine.CounterDigits());
      if (!FPart.Whole) FNames->Skip(FPart.First);  // the counter goes on as in the whole list
    }
    FNeedOrigins = FEngine.GenerateNames() || FEngine.ResolveIPCountry();
    FLinesPerAddress = FPorts ? FPorts->size() : 1;
    // Lines are made and finished a batch at a time, so that a stop is seen in every phase.
    const auto batch = static_cast<size_t>(std::clamp<int64_t>(FTotal, 0, kBatchLines));
    FLines.reserve(batch * FLinesPerAddress, batch * FLinesPerAddress * 16);
    if (!FSink) {
      const auto reserve = static_cast<size_t>(std::clamp<int64_t>(FTotal, 0, kMaxReserve)) * FLinesPerAddress;
      TTextLines& list = FEngine.IPList();
      list.reserve(list.size() + reserve, list.Text().size() + reserve * 16);
    }

    const int ranges = static_cast<int>(FRanges.size());
    const TUInt128 count = static_cast<TUInt128>(std::max(FCount, 0));
    if (FCountMode == TGenerateCounts::gcAllCount) {
      if (FEngine.RandomOrder()) Sample(0, ranges, kUnbounded);
      else
        for (int i = 0; i < ranges && !Stopped(); ++i) Walk(i, kUnbounded);
    } else if (!FEngine.RandomOrder()) {
      TUInt128 left = count;
      for (int i = 0; i < ranges && !Stopped() && left > 0; ++i) {
        if (FCountMode == TGenerateCounts::gcForEach) Walk(i, count);
        else left -= Walk(i, left);
      }
    } else if (FCountMode == TGenerateCounts::gcTotalCount) {
      Sample(0, ranges, count);
    } else {
      for (int i = 0; i < ranges && !Stopped(); ++i) Sample(i, i + 1, count);
    }
    Deliver();
  }

  void Flush(int& unreported) {
    Report([unreported](IProgressSink& p) {
      p.IncProgress(unreported);
      p.IncProcessed(unreported);
    });
    unreported = 0;
  }

  // Passes over up to `limit` whole addresses that lie before the part, without making their lines;
  // returns how many. Only for walks where each of them is known to be eligible.
  TWideCount SkipToPart(const TWideCount& limit) {
    if (FPart.Whole || FPosition >= FPart.First || FLinesPerAddress == 0) return 0;
    uint64_t rest = 0;
    const TWideCount skipped = std::min((FPart.First - FPosition).DividedBy(FLinesPerAddress, rest), limit);
    FPosition += skipped.Times(FLinesPerAddress);
    const auto reported =
        static_cast<int64_t>(std::min(skipped, TWideCount(std::numeric_limits<int64_t>::max())).Low());
    Report([reported](IProgressSink& p) {
      p.IncProgress(reported);
      p.IncProcessed(reported);
    });
    return skipped;
  }

  // Takes the eligible addresses of one range in order, at most `want` of them; returns how many.
  TUInt128 Walk(int rangeIndex, TUInt128 want) {
    const TRangeEntry& range = FRanges[static_cast<size_t>(rangeIndex)];
    TUInt128 taken = 0;
    if (want == 0) return 0;
    if (!HasFilters(range)) {
      // Every selected address is eligible: the part's start is found by arithmetic.
      const TWideCount selected = range.Selection.Count();
      taken = SkipToPart(std::min(selected, TWideCount(want))).Low();
      if (TWideCount(taken) == selected || taken == want) return taken;
    }
    int unreported = 0;
    ForEachSelected(
        range,
        [&](const TIPAddr& address) {
          if (Stopped()) return false;  // keep what was taken
          if (!Eligible(range, address)) return true;
          Take(address, rangeIndex, unreported);
          return ++taken < want;
        },
        TWideCount(taken));
    Flush(unreported);
    return taken;
  }

  // Takes a uniform sample of `want` eligible addresses of the ranges first .. end - 1 together,
  // in random order: the first eligible ones of a keyed permutation of all their selected
  // addresses. Each address is looked at once at most, so the search ends when the ranges hold
  // fewer, and it stops early at Break.
  void Sample(int first, int end, const TWideCount& want) {
    std::vector<TWideCount> starts;  // the index of each range's first address in the whole
    TWideCount size;
    bool everyEligible = true;
    for (int i = first; i < end; ++i) {
      starts.push_back(size);
      size += FRanges[static_cast<size_t>(i)].Selection.Count();
      everyEligible &= !HasFilters(FRanges[static_cast<size_t>(i)]);
    }
    const TKeyedPermutation order(size, FRandom);
    // Where every address is eligible, position j of the permutation is the j-th address taken.
    TWideCount taken = everyEligible ? SkipToPart(std::min(size, want)) : TWideCount();
    int unreported = 0;
    for (TWideCount j = taken; j < size && taken < want && !Stopped(); j += 1) {
      const TWideCount x = order(j);
      const auto at = std::upper_bound(starts.begin(), starts.end(), x) - 1;
      const int rangeIndex = first + static_cast<int>(at - starts.begin());
      const TRangeEntry& range = FRanges[static_cast<size_t>(rangeIndex)];
      const TIPAddr address = range.Walk.At(range.Selection.IndexAt(x - *at));
      if (Eligible(range, address)) {
        Take(address, rangeIndex, unreported);
        taken += 1;
      }
    }
    Flush(unreported);
  }

  // A taken address becomes its lines: one, or one per port, all together; only those within
  // the part are made.
  void Take(const TIPAddr& address, int rangeIndex, int& unreported) {
    if (++unreported == kProgressBatch) Flush(unreported);
    size_t from = 0, to = FLinesPerAddress;
    if (!FPart.Whole) {
      if (FPosition < FPart.First) from = static_cast<size_t>(std::min(FPart.First - FPosition, TWideCount(to)).Low());
      if (FPosition + TWideCount(to) >= FPart.End) {
        FDone = true;
        to = FPosition < FPart.End ? static_cast<size_t>((FPart.End - FPosition).Low()) : 0;
      }
      FPosition += TWideCount(FLinesPerAddress);
      if (from >= to) return;
    }
    if (FNeedOrigins) FOrigins.push_back({address, rangeIndex});
    const bool escape = FEngine.EscapeIPv6();
    if (!FPorts) {
      AppendIPAddrText(FLines.BeginLine(), address, escape);
      FLines.EndLine();
      if (FNeedOrigins) FLineOrigins.push_back(static_cast<uint32_t>(FOrigins.size() - 1));
    } else {
      // "fdc7::1:80" would itself be an address: with a port, IPv6 is always in brackets.
      const bool bracket = escape || address.ip_family == TIPAddrFamily::IPv6;
      for (size_t port = from; port < to; ++port) {
        std::string& line = FLines.BeginLine();
        AppendIPAddrText(line, address, bracket);
        line += (*FPorts)[port];
        FLines.EndLine();
        if (FNeedOrigins) FLineOrigins.push_back(static_cast<uint32_t>(FOrigins.size() - 1));
      }
    }
    FWritten += to - from;
    if (FLines.size() >= kBatchLines) Deliver();
  }

  // The lines made so far get their country codes and names, and go to the sink or the list.
  // A stop before they have them all leaves them out: only finished lines are kept.
  void Deliver() {
    if (FLines.empty()) return;
    const bool finished = (!FCountries || AppendCountryCodes()) && (!FNames || PutNamesInFront());
    if (finished && FSink) (*FSink)(FLines);
    else if (finished) FEngine.IPList().Append(FLines);
    FLines.clear();
    FOrigins.clear();
    FLineOrigins.clear();
  }

  // The run's delimiter: between name and address, and before each database column.
  const std::string& Delimiter() const { return FEngine.NameDelimiter(); }

  // Whether a stop was asked, looked at every kProgressBatch steps of a phase.
  bool StopAt(size_t step) const { return step % kProgressBatch == 0 && Terminated(); }

  // False when a stop came first.
  bool AppendCountryCodes() {
    if (Terminated()) return false;  // before the sort
    // Looked up in address order: neighbouring look-ups share their path down the search tree
    // and often their record, where a random order would miss the cache at every step.
    struct TLookup {
      TIPAddr Address;
      uint32_t Line;
    };
    std::vector<TLookup> lookups(FLines.size());
    for (size_t i = 0; i < lookups.size(); ++i)
      lookups[i] = {FOrigins[FLineOrigins[i]].Address, static_cast<uint32_t>(i)};
    std::sort(lookups.begin(), lookups.end(),
              [](const TLookup& a, const TLookup& b) { return CompareIPAddr(a.Address, b.Address) < 0; });
    std::vector<const std::vector<std::string>*> columns(FLines.size());
    for (size_t i = 0; i < lookups.size(); ++i) {
      if (StopAt(i)) return false;
      columns[lookups[i].Line] = &FCountries->Of(lookups[i].Address);
    }
    std::vector<TLookup>().swap(lookups);
    FMMDBWarning = FCountries->Warning();

    const std::string& delimiter = Delimiter();
    TTextLines coded;
    coded.reserve(FLines.size(), FLines.Text().size() + FLines.size() * (delimiter.size() + 2));
    for (size_t i = 0; i < FLines.size(); ++i) {
      std::string& line = coded.BeginLine();
      line += FLines[i];
      for (const std::string& text : *columns[i]) {
        line += delimiter;
        AppendCSVField(line, text, delimiter);
      }
      coded.EndLine();
    }
    FLines.swap(coded);
    return true;
  }

  // False when a stop came first.
  bool PutNamesInFront() {
    const std::string& delimiter = Delimiter();
    TTextLines named;
    named.reserve(FLines.size(), FLines.Text().size() * 2);
    for (size_t i = 0; i < FLines.size(); ++i) {
      if (StopAt(i)) return false;
      const TLineOrigin& origin = FOrigins[FLineOrigins[i]];
      std::string& line = named.BeginLine();
      line += FNames->Next(origin.Address, FRanges[static_cast<size_t>(origin.Range)].Name);
      line += delimiter;
      line += FLines[i];
      named.EndLine();
    }
    FLines.swap(named);
    return true;
  }

  // Where a line came from, kept only for the names and the country column.
  struct TLineOrigin {
    TIPAddr Address;
    int Range;
  };

  TKorrinUtils& FEngine;
  IProgressSink* FProgress;
  TRangeLinesReport& FReport;
  const TKorrinUtils::TLineSink* FSink;
  std::optional<std::vector<std::string>> FPorts;  // none is not the same as an empty list
  size_t FLinesPerAddress = 1;
  TGenerateCounts FCountMode = TGenerateCounts::gcAllCount;
  int32_t FCount = 0;
  int64_t FTotal = 0;
  int64_t FCountWalkLeft = kMaxCountWalk;
  std::vector<TRangeEntry> FRanges;
  size_t FLastOverlapLine = SIZE_MAX;
  TExcludeList FExcludes;
  TRandom FRandom;
  TLinePart FPart;
  TWideCount FPosition;  // the lines of the whole list passed so far, with a part
  bool FDone = false;    // past the part's end
  uint64_t FWritten = 0;
  bool FNeedOrigins = false;
  std::vector<TLineOrigin> FOrigins;   // the addresses of the lines not yet delivered
  std::vector<uint32_t> FLineOrigins;  // the origin of each of those lines
  TTextLines FLines;
  std::optional<TNameTemplate> FNames;
  std::unique_ptr<TCountryColumn> FCountries;
  std::string FMMDBWarning;
};

}  // namespace

void TKorrinUtils::PerformGenerateIPList(std::string& resultText) {
  resultText.clear();
  const TLineSink* sink = FLineSink ? &FLineSink : nullptr;
  // A part is cut from the whole list, so every run of a part must make the same list.
  const uint64_t seed = FRandomSeed ? *FRandomSeed : FreshSeed();
  TLinePart part;
  if (FShardParts > 1) {
    TLineCount whole = CountIPList();
    if (!whole.Exact) {
      // Exclusions left the count a bound: a run that makes no line counts them exactly.
      const TLineSink none = [](const TTextLines&) {};
      const TLinePart nothing{TWideCount::PowerOfTwo(191), TWideCount::PowerOfTwo(191) + TWideCount(1), false};
      TGenerationRun counting(*this, FProgress, FReport, &none);
      counting.Execute(seed, nothing);
      whole.Lines = counting.Position();
    }
    // Part k of n starts at floor(lines * (k - 1) / n), taken as q * (k - 1) + r * (k - 1) / n
    // with lines = q * n + r, so that no product passes the count's range.
    const auto start = [&whole, this](uint64_t k) {
      uint64_t r = 0;
      const TWideCount q = whole.Lines.DividedBy(FShardParts, r);
      return q.Times(k) + TWideCount(static_cast<TUInt128>(r) * k / FShardParts);
    };
    part = {start(FShardPart - 1), start(FShardPart), false};
  }
  TGenerationRun run(*this, FProgress, FReport, sink);
  FMMDBWarning.clear();
  const uint64_t written = run.Execute(seed, part);
  FMMDBWarning = run.MMDBWarning();
  resultText = Format("%llu IPs generated.", static_cast<unsigned long long>(sink ? written : FIPList.size()));
  if (FProgress) FProgress->SetPosition(FProgress->Max());
}

TLineCount TKorrinUtils::CountIPList() { return TGenerationRun(*this, FProgress, FReport, nullptr).Count(); }

void CheckGenerateCount(int32_t count) {
  if (count < 1) throw Exception(Format("Too few IPs (%d)\r\nMin. IP count: 1", count));
}

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
