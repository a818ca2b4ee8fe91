#include "settings/choices_to_engine.h"

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

int32_t IntegerOfBox(const std::string& text) {
  const auto value = TryStrToInt(text);
  if (!value) throw Exception(Format("'%s' is not a valid integer value", text.c_str()));
  return *value;
}

std::string NameDelimiterOf(int32_t index, const std::string& custom) {
  switch (index) {
    case 1: return "\t";
    case 2: return ",";
    case 3: return ";";
    case kNameDelimiterCustom: return custom;
    default: return " ";
  }
}

bool CopySettingsToUtils(const TKorrinSettings& s, TKorrinUtils& utils) {
  if (s.ResolveCountry && s.MMDBFilePath.empty()) return false;
  utils.SetResolveIPCountry(s.ResolveCountry);
  utils.SetMMDBFilePath(s.MMDBFilePath);
  utils.SetMMDBFields({s.MMDBField});
  switch (s.Mode) {
    case TCountChoice::TotalCount:
      utils.SetGenerateCountMode(TGenerateCounts::gcTotalCount);
      utils.SetGenerateCount(IntegerOfBox(s.TotalCount));
      break;
    case TCountChoice::ForEachRange:
      utils.SetGenerateCountMode(TGenerateCounts::gcForEach);
      utils.SetGenerateCount(IntegerOfBox(s.EachCount));
      break;
    default: utils.SetGenerateCountMode(TGenerateCounts::gcAllCount); utils.SetGenerateCount(0);
  }
  utils.SetGenerateNames(s.GenerateNames);
  if (s.GenerateNames) {
    utils.SetNameTemplate(s.NameTemplate);
    utils.SetCounterSymbol(s.CounterSymbol);
    utils.SetFirstCounter(IntegerOfBox(s.FirstCounter));
    utils.SetCounterStep(IntegerOfBox(s.CounterStep));
    utils.SetCounterDigits(IntegerOfBox(s.CounterDigits));
  } else {
    utils.SetNameTemplate("");
    utils.SetCounterSymbol("");
    utils.SetFirstCounter(1);
    utils.SetCounterStep(1);
    utils.SetCounterDigits(1);
  }
  // Also the delimiter before the database column, with or without names.
  utils.SetNameDelimiter(NameDelimiterOf(s.NameDelimiter, s.NameCustomDelimiter));
  utils.SetAddPortNumbers(s.AddPort);
  utils.SetPortNumbers(s.AddPort ? s.Ports : "");
  utils.IPRanges().Assign(s.IPRanges);
  utils.SetUsableHostIPAddresses(s.UsableHostIPAddresses);
  utils.SetDoExclude(s.Exclude);
  utils.ExcludeMasks() = s.Exclude ? s.ExcludeMasks : std::vector<std::string>{};
  utils.SetRandomOrder(s.RandomOrder);
  utils.SetUniqueAddresses(s.UniqueAddresses);
  utils.SetAppend(s.Append);
  utils.SetEscapeIPv6(s.EscapeIPv6);
  return true;
}

}  // namespace korrin
