#pragma once
// The generated host name put in front of each output line: a template with a counter symbol,
// "%1".."%8" for the address parts and "%s" for the range name, prepared once per run.
#include <cstdint>
#include <string>

#include "address/ip_types.h"
#include "generator/wide_count.h"

namespace korrin {

class TNameTemplate {
 public:
  TNameTemplate(std::string nameTemplate, std::string counterSymbol, int32_t firstCounter, int32_t step,
                int32_t minDigits);
  // The name for the next line; advances the counter when the template uses it.
  std::string Next(const TIPAddr& address, std::string_view rangeName);
  // Advances the counter as that many names would: for a part that starts further down a list.
  void Skip(const TWideCount& lines);

 private:
  std::string FTemplate;
  std::string FCounterSymbol;
  int32_t FCounter;
  int32_t FStep;
  int32_t FMinDigits;
  bool FUsesCounter;
  bool FUsesQuadrant[9] = {};
  bool FUsesRangeName;
};

}  // namespace korrin
