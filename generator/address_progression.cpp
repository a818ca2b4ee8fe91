#include "generator/address_progression.h"

#include <utility>

namespace korrin {

TUInt128 IPAddrValue(const TIPAddr& a) {
  if (a.ip_family == TIPAddrFamily::IPv4) return a.ipv4.Value;
  TUInt128 v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 16) | a.ipv6.Groups[static_cast<size_t>(i)];
  return v;
}

TIPAddr IPAddrOfValue(TIPAddrFamily family, TUInt128 v) {
  if (family == TIPAddrFamily::IPv4) return TIPAddr::FromIPv4({static_cast<uint32_t>(v)});
  TIPv6 r;
  for (size_t i = 0; i < 8; ++i) r.Groups[i] = static_cast<uint16_t>(v >> (16 * i));
  return TIPAddr::FromIPv6(r);
}

TIPAddr TAddressProgression::At(TUInt128 index) const {
  return IPAddrOfValue(First.ip_family, IPAddrValue(First) + (index << StrideBit));
}

TAddressProgression ProgressionOf(const TRangeLine& line) {
  TAddressProgression p;
  const TIPAddrFamily family = line.Base.ip_family;
  if (line.Last) {
    TUInt128 first = IPAddrValue(line.Base), last = IPAddrValue(*line.Last);
    if (last < first) std::swap(first, last);  // the same addresses however the ends are written
    p.First = IPAddrOfValue(family, first);
    p.LastIndex = last - first;
    // Only a range that is exactly one whole network has a network and a broadcast address:
    // a power-of-two size (the whole IPv6 space wraps to 0) starting on a multiple of it.
    const TUInt128 size = p.LastIndex + 1;
    p.NetworkEnds = p.LastIndex >= 3 && (size & p.LastIndex) == 0 && (first & p.LastIndex) == 0;
    return p;
  }
  const int w = FamilyWidth(family);
  p.First = line.Base;
  AndIPAddr(p.First, MakeIPAddrMask(family, line.Prefix, line.SuffixStart));
  const int varying = line.SuffixStart - line.Prefix;
  // A window without varying bits holds one address; its stride would be the whole width.
  p.StrideBit = varying == 0 ? 0 : w - line.SuffixStart;
  p.LastIndex = varying == 0 ? 0 : ~TUInt128{0} >> (128 - varying);
  p.NetworkEnds = varying >= 2;
  return p;
}

}  // namespace korrin
