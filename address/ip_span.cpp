#include "address/ip_span.h"

#include "common/text.h"

namespace korrin {

namespace {

bool IsDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

bool TryReadIPAddrSpan(std::string_view text, TIPAddrSpan& out, std::string& problem) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return problem = "no '-' between first and last address", false;
  const std::string_view firstText = Trim(text.substr(0, dash));
  const std::string_view lastText = Trim(text.substr(dash + 1));
  if (!TryReadIPAddr(firstText, out.First, problem)) return problem = "first address: " + problem, false;
  if (out.First.ip_family == TIPAddrFamily::IPv4 && IsDecimal(lastText)) {
    // The short form: the number replaces the last part.
    const auto part = lastText.size() <= 3 ? TryStrToInt(lastText) : std::nullopt;
    if (!part || *part > 255)
      return problem = "last part '" + std::string(lastText) + "' is not a number from 0 to 255", false;
    const TIPv4 last{(out.First.ipv4.Value & 0xFFFFFF00u) | static_cast<uint32_t>(*part)};
    out.Last = TIPAddr::FromIPv4(last);
  } else if (!TryReadIPAddr(lastText, out.Last, problem)) {
    return problem = "last address: " + problem, false;
  }
  if (out.First.ip_family != out.Last.ip_family) return problem = "first and last address of different families", false;
  if (CompareIPAddr(out.Last, out.First) < 0) return problem = "last address below the first", false;
  return true;
}

bool TryReadIPAddrNetwork(std::string_view text, TIPAddrSpan& out, std::string& problem) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return problem = "no '/' before the prefix length", false;
  TIPAddr base;
  if (!TryReadIPAddr(text.substr(0, slash), base, problem)) return false;
  const int w = FamilyWidth(base.ip_family);
  const auto prefix = TryStrToInt(text.substr(slash + 1));
  if (!prefix || *prefix < 0 || *prefix > w)
    return problem = Format("prefix length '%.*s' is not a number from 0 to %d", int(text.size() - slash - 1),
                            text.data() + slash + 1, w),
           false;
  const TIPAddr mask = MakeIPAddrMask(base.ip_family, *prefix, w);
  out.First = base;
  AndIPAddr(out.First, mask);
  TIPAddr hostBits = mask;
  NotIPAddr(hostBits);
  out.Last = out.First;
  OrIPAddr(out.Last, hostBits);
  return true;
}

bool SpanContains(const TIPAddrSpan& span, const TIPAddr& address) {
  return address.ip_family == span.First.ip_family && CompareIPAddr(span.First, address) <= 0 &&
         CompareIPAddr(address, span.Last) <= 0;
}

}  // namespace korrin
