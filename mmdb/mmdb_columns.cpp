#include "mmdb/mmdb_columns.h"

#include <algorithm>
#include <unordered_set>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

namespace {

const std::vector<std::string> kCountryPaths[] = {{"country", "iso_code"}, {"country_code"}, {"country"}};

}  // namespace

std::vector<std::string> ParseFieldPath(std::string_view path) {
  std::vector<std::string> steps;
  for (size_t start = 0;;) {
    const size_t dot = std::min(path.find('.', start), path.size());
    if (dot == start) throw Exception(Format("The field path '%.*s' has an empty step", int(path.size()), path.data()));
    steps.emplace_back(path.substr(start, dot - start));
    if (dot == path.size()) return steps;
    start = dot + 1;
  }
}

std::vector<std::string> FieldsOfRecords(const TMMDBReader& reader, std::span<const TMMDBNetworkRow> rows,
                                         TFieldNames names, size_t limit) {
  std::vector<std::string> fields;
  std::unordered_set<uint32_t> seen;
  for (const TMMDBNetworkRow& row : rows) {
    if (fields.size() >= limit) break;
    if (!seen.insert(row.Record).second) continue;
    for (std::string& field :
         names == TFieldNames::TopLevel ? reader.RecordKeys(row.Record) : reader.RecordFieldPaths(row.Record, limit))
      if (fields.size() < limit && std::find(fields.begin(), fields.end(), field) == fields.end())
        fields.push_back(std::move(field));
  }
  return fields;
}

std::vector<std::string> ChoosableFields(TMMDBReader& reader) {
  // Enough networks to meet the kinds of record a database holds near its start, few enough to
  // list at once when a file is chosen.
  constexpr size_t kNetworks = 200;
  constexpr size_t kMaxFields = 500;
  std::vector<std::string> fields =
      FieldsOfRecords(reader, MMDBFirstNetworks(reader, kNetworks), TFieldNames::Paths, kMaxFields);
  std::erase(fields, std::string(kCountryCodeField));
  fields.insert(fields.begin(), std::string(kCountryCodeField));
  return fields;
}

TMMDBColumns::TMMDBColumns(const TMMDBReader& reader, const std::vector<std::string>& fields, bool remember)
    : FReader(reader), FRemember(remember) {
  for (const std::string& field : fields) {
    if (field == kCountryCodeField) FColumns.push_back({true, {}});
    else FColumns.push_back({false, ParseFieldPath(field)});
    FHasCountryColumn |= FColumns.back().Country;
  }
  FNone.resize(FColumns.size());
  FLatest.resize(FColumns.size());
}

std::string TMMDBColumns::CountryCode(uint32_t record) {
  std::string text;
  for (const auto& path : kCountryPaths) {
    if (!FReader.RecordField(record, path, text)) continue;
    // A top-level "country" is a code only as a two-letter string; a map there is the vendor's
    // layout, whose code was looked for first.
    if (&path == &kCountryPaths[2] && text.size() != 2) continue;
    FCountryFieldSeen = true;
    return text;
  }
  return {};
}

const std::vector<std::string>& TMMDBColumns::Of(uint32_t record) {
  if (record == 0) return FNone;
  if (record == FLastRecord) return *FLastTexts;
  if (FFirstRecord == 0) FFirstRecord = record;
  if (!FRemember) {
    FLastRecord = 0;  // the texts are being replaced: a raise must not leave them named valid
    Fill(record, FLatest);
    FLastRecord = record;
    FLastTexts = &FLatest;
    return FLatest;
  }
  auto known = FTexts.find(record);
  if (known == FTexts.end()) {
    std::vector<std::string> texts(FColumns.size());
    Fill(record, texts);
    known = FTexts.emplace(record, std::move(texts)).first;
  }
  FLastRecord = record;
  FLastTexts = &known->second;
  return *FLastTexts;
}

void TMMDBColumns::Fill(uint32_t record, std::vector<std::string>& texts) {
  for (size_t i = 0; i < FColumns.size(); ++i) {
    texts[i].clear();
    if (FColumns[i].Country) texts[i] = CountryCode(record);
    else FReader.RecordField(record, FColumns[i].Path, texts[i]);
  }
}

std::string TMMDBColumns::Warning() const {
  if (!FHasCountryColumn || FFirstRecord == 0 || FCountryFieldSeen) return {};
  std::string keys;
  for (const std::string& key : FReader.RecordKeys(FFirstRecord)) keys += (keys.empty() ? "" : ", ") + key;
  return "Warning: the database's records hold no country code (country.iso_code, country_code or a two-letter "
         "country), so the country column is empty; the first record found holds: " +
         (keys.empty() ? std::string("no fields") : keys);
}

}  // namespace korrin
