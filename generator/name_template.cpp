#include "generator/name_template.h"

#include "common/text.h"

namespace korrin {

TNameTemplate::TNameTemplate(std::string nameTemplate, std::string counterSymbol, int32_t firstCounter, int32_t step,
                             int32_t minDigits)
    : FTemplate(std::move(nameTemplate)),
      FCounterSymbol(std::move(counterSymbol)),
      FCounter(firstCounter),
      FStep(step),
      FMinDigits(minDigits) {
  FUsesCounter = !FCounterSymbol.empty() && FTemplate.find(FCounterSymbol) != std::string::npos;
  for (int n = 1; n <= 8; ++n) FUsesQuadrant[n] = FTemplate.find("%" + std::to_string(n)) != std::string::npos;
  FUsesRangeName = FTemplate.find("%s") != std::string::npos;
}

void TNameTemplate::Skip(const TWideCount& lines) {
  // The 32-bit counter wraps, so only the count's low 32 bits matter.
  if (FUsesCounter)
    FCounter = static_cast<int32_t>(static_cast<uint32_t>(FCounter) +
                                    static_cast<uint32_t>(FStep) * static_cast<uint32_t>(lines.Low()));
}

std::string TNameTemplate::Next(const TIPAddr& address, std::string_view rangeName) {
  std::string t = FTemplate;
  if (FUsesCounter) {
    std::string digits = std::to_string(FCounter);
    if (static_cast<int64_t>(digits.size()) < FMinDigits)
      digits.insert(0, static_cast<size_t>(FMinDigits) - digits.size(), '0');
    FCounter = static_cast<int32_t>(static_cast<uint32_t>(FCounter) +
                                    static_cast<uint32_t>(FStep));  // wraps like the 32-bit counter
    t = ReplaceAll(t, FCounterSymbol, digits);
  }
  for (int n = 1; n <= 8; ++n)
    if (FUsesQuadrant[n]) t = ReplaceAll(t, "%" + std::to_string(n), IPAddrQuadrantToStr(address, n));
  if (FUsesRangeName) t = ReplaceAll(t, "%s", rangeName);
  return t;
}

}  // namespace korrin
