#pragma once
// A range as the engine walks, samples and counts it: Count addresses from First, 2^StrideBit
// apart. A window's varying bits are its index and its fixed low bits ride along in First; an
// "a-b" range is the same shape with stride 1. One shape lets every walk serve both forms.
#include "address/ip_types.h"
#include "generator/range_line.h"
#include "generator/wide_count.h"

namespace korrin {

// Its widest member first: a run holds one for each range, and padding would add a quarter.
struct TAddressProgression {
  TUInt128 LastIndex = 0;  // Count - 1: the whole IPv6 space holds 2^128 addresses
  TIPAddr First;
  int StrideBit = 0;
  // The first and last address are a network's own (network and broadcast), so they are no
  // usable hosts. A network of two (RFC 3021, RFC 6164) or one address has none: all are hosts.
  bool NetworkEnds = false;

  TWideCount Count() const { return TWideCount(LastIndex) + TWideCount(1); }
  TIPAddr At(TUInt128 index) const;
  bool IsNetworkEnd(TUInt128 index) const { return NetworkEnds && (index == 0 || index == LastIndex); }
};

TAddressProgression ProgressionOf(const TRangeLine& line);

// An address as the number it is, and back: progressions and interval sets do their sums on these.
TUInt128 IPAddrValue(const TIPAddr& a);
TIPAddr IPAddrOfValue(TIPAddrFamily family, TUInt128 v);

}  // namespace korrin
