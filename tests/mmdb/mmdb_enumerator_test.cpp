// The walk over a search tree on crafted trees: order, address width, networks without data,
// start nodes that are data, fresh records per network, and trees deeper than the addresses.
#include <gtest/gtest.h>

#include "common/exception.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb_test_writer.h"

namespace korrin::test {
namespace {

Bytes CountryCity(const char* iso, uint32_t cityId) {
  std::vector<std::pair<Bytes, Bytes>> pairs = {{Str("country"), Map({{Str("iso_code"), Str(iso)}})}};
  if (cityId != 0) pairs.push_back({Str("city"), Map({{Str("geoname_id"), U32(cityId)}})});
  return Map(pairs);
}

// "network=iso/city" for every item of the walk.
std::vector<std::string> Walk(TMMDBReader& reader, bool IPv4Only) {
  std::vector<std::string> out;
  auto e = TMMDBEnumerable<TMMDBIPCountryCityInfoEx>(reader, IPv4Only).GetEnumerator();
  EXPECT_EQ(e.Current(), nullptr);
  while (e.MoveNext()) {
    const auto& item = *e.Current();
    out.push_back(item.Start().ToString() + "/" + std::to_string(item.Prefix()) + "=" +
                  item.Data().Country().ISOCode() + "/" + std::to_string(item.Data().City().GeonameId()));
  }
  EXPECT_EQ(e.Current(), nullptr);
  EXPECT_FALSE(e.MoveNext());
  return out;
}

using Lines = std::vector<std::string>;

TEST(Enumerator, WalksInAscendingOrderSkippingNetworksWithoutData) {
  MMDBWriter w(4, 24);
  w.Insert("128.0.0.0/1", CountryCity("HI", 0));
  w.Insert("10.0.0.0/8", CountryCity("TE", 5));
  w.Insert("0.0.0.0/8", CountryCity("ZE", 0));
  w.Insert("11.0.0.0/8", CountryCity("EL", 0));
  TMMDBReader reader(w.Build(), "order.mmdb");
  // A network without a city map after one with it carries no city.
  EXPECT_EQ(Walk(reader, true), (Lines{"0.0.0.0/8=ZE/0", "10.0.0.0/8=TE/5", "11.0.0.0/8=EL/0", "128.0.0.0/1=HI/0"}));
}

TEST(Enumerator, AnIPv6TreeGivesIPv4NetworksOrTheWholeTree) {
  MMDBWriter w(6, 28);
  w.Insert("1.0.0.0/24", CountryCity("AU", 0));
  w.Insert("2001:db8::/32", CountryCity("NL", 0));
  TMMDBReader reader(w.Build(), "v6.mmdb");
  EXPECT_EQ(Walk(reader, true), (Lines{"1.0.0.0/24=AU/0"}));
  EXPECT_EQ(Walk(reader, false), (Lines{"::100:0/120=AU/0", "2001:db8::/32=NL/0"}));
}

TEST(Enumerator, StartNodesThatAreDataOrEmpty) {
  MMDBWriter early(6, 24);
  early.Insert("::/64", CountryCity("ZZ", 0));
  TMMDBReader earlyReader(early.Build(), "early.mmdb");
  EXPECT_EQ(Walk(earlyReader, true), (Lines{"0.0.0.0/0=ZZ/0"}));

  MMDBWriter halves(4, 32);
  halves.Insert("128.0.0.0/1", CountryCity("HI", 0));
  halves.Insert("0.0.0.0/1", CountryCity("LO", 0));
  TMMDBReader halvesReader(halves.Build(), "halves.mmdb");
  EXPECT_EQ(Walk(halvesReader, true), (Lines{"0.0.0.0/1=LO/0", "128.0.0.0/1=HI/0"}));

  MMDBWriter empty(4, 24);
  TMMDBReader emptyReader(empty.Build(), "empty.mmdb");
  EXPECT_EQ(Walk(emptyReader, true), Lines{});
}

TEST(Enumerator, ResetStartsTheWalkAgain) {
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/8", CountryCity("AA", 1));
  w.Insert("2.0.0.0/8", CountryCity("BB", 0));
  TMMDBReader reader(w.Build(), "reset.mmdb");
  auto e = TMMDBEnumerable<TMMDBIPCountryCityInfoEx>(reader, true).GetEnumerator();
  ASSERT_TRUE(e.MoveNext());
  ASSERT_TRUE(e.MoveNext());
  EXPECT_EQ(e.Current()->Data().Country().ISOCode(), "BB");
  e.Reset();
  EXPECT_EQ(e.Current(), nullptr);
  ASSERT_TRUE(e.MoveNext());
  EXPECT_EQ(e.Current()->Start().ToString(), "1.0.0.0");
  EXPECT_EQ(e.Current()->Data().City().GeonameId(), 1);
}

TEST(Enumerator, ATreeDeeperThanTheAddressFails) {
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/8", CountryCity("AA", 0));
  w.SetRawRecord(0, 0, 0);  // the left record of the root points back at the root
  TMMDBReader reader(w.Build(), "loop.mmdb");
  auto e = TMMDBEnumerable<TMMDBIPCountryCityInfoEx>(reader, true).GetEnumerator();
  try {
    while (e.MoveNext()) {
    }
    FAIL() << "the walk ended";
  } catch (const Exception& ex) {
    EXPECT_STREQ(ex.what(), "Invalid search tree, bad bit 32");
  }
}

}  // namespace
}  // namespace korrin::test
