#include "generator/country_column.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "address/ip_types.h"
#include "common/exception.h"

namespace korrin {
namespace {

const std::string kTestData = KORRIN_TEST_DATA_DIR "/test-data/";

TIPAddr Addr(const char* text) {
  TIPAddr a;
  EXPECT_TRUE(TryStrToIPAddr(text, a)) << text;
  return a;
}

// Codes come from memory for a repeated record, never from the record looked up before.
TEST(CountryColumn, RepeatedAndAlternatingRecordsKeepTheirOwnCodes) {
  TCountryColumn column(kTestData + "GeoIP2-Country-Test.mmdb", {"country_code"});
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"2.125.160.216", "GB"}, {"2.125.160.217", "GB"}, {"89.160.20.112", "SE"},
      {"2.125.160.216", "GB"}, {"10.0.0.1", ""},        {"89.160.20.113", "SE"},
  };
  for (const auto& [address, code] : cases) EXPECT_EQ(column.Of(Addr(address)).front(), code) << address;
}

// A decode that raised leaves nothing remembered: the same record raises again.
TEST(CountryColumn, ABrokenRecordRaisesEveryTime) {
  TCountryColumn column(kTestData + "MaxMind-DB-test-broken-pointers-24.mmdb", {"country_code"});
  for (int i = 0; i < 2; ++i) EXPECT_THROW(column.Of(Addr("1.1.1.16")), Exception);
}

}  // namespace
}  // namespace korrin
