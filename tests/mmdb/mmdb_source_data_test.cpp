// Look-ups in the public Country and City test databases against the JSON records they were
// written from, and the same answers from the three record sizes.
#include <gtest/gtest.h>

#include <map>

#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "mmdb_test_support.h"
#include "test_json.h"

namespace korrin::test {
namespace {

struct Network {
  TMMDBIPAddress first, last;
  int prefix = 0;
  const Json* record = nullptr;
};

// Every bit of the address from `prefix` on set (`ones`) or cleared.
TMMDBIPAddress HostBits(const TMMDBIPAddress& address, int prefix, bool ones) {
  std::vector<uint8_t> bytes = address.GetAddressBytes();
  for (int bit = prefix; bit < static_cast<int>(bytes.size()) * 8; ++bit) {
    const auto mask = static_cast<uint8_t>(0x80 >> (bit % 8));
    bytes[bit / 8] = ones ? bytes[bit / 8] | mask : bytes[bit / 8] & ~mask;
  }
  return TMMDBIPAddress(bytes);
}

// Some source networks are written with host bits set ("::74.209.24.0/116").
Network MakeNetwork(const TMMDBIPAddress& address, int prefix, const Json* record) {
  return {HostBits(address, prefix, false), HostBits(address, prefix, true), prefix, record};
}

// The source files write IPv4 networks of an IPv6 tree as "::a.b.c.d", which the address text
// forms do not read; those are built from their IPv4 part.
TMMDBIPAddress ParseSourceAddress(const std::string& text) {
  if (text.rfind("::", 0) != 0 || text.find('.') == std::string::npos) return TMMDBIPAddress::Parse(text);
  std::vector<uint8_t> bytes(12, 0);
  const std::vector<uint8_t> v4 = TMMDBIPAddress(StrToIPv4(text.substr(2))).GetAddressBytes();
  bytes.insert(bytes.end(), v4.begin(), v4.end());
  return TMMDBIPAddress(bytes);
}

// Every network of the source file, keyed by its text (a later entry for the same network wins),
// plus, for IPv6 networks under ::/96, the IPv4 network an IPv4 look-up reaches.
std::map<std::string, Network> SourceNetworks(const Json& source, bool* withIPv4) {
  std::map<std::string, Network> out;
  for (const Json& entry : source.items) {
    const auto& [cidr, record] = entry.members.at(0);
    const size_t slash = cidr.find('/');
    const TMMDBIPAddress first = ParseSourceAddress(cidr.substr(0, slash));
    const int prefix = std::stoi(cidr.substr(slash + 1));
    const Network net = MakeNetwork(first, prefix, &record);
    out[net.first.ToString() + "/" + std::to_string(prefix)] = net;
    const std::vector<uint8_t> bytes = net.first.GetAddressBytes();
    if (first._v6 && prefix >= 96 && std::all_of(bytes.begin(), bytes.begin() + 12, [](uint8_t b) { return b == 0; })) {
      const Network v4 =
          MakeNetwork(TMMDBIPAddress(std::vector<uint8_t>(bytes.begin() + 12, bytes.end())), prefix - 96, &record);
      out[v4.first.ToString() + "/" + std::to_string(v4.prefix)] = v4;
    }
    if (!first._v6 || prefix >= 96) *withIPv4 = true;
  }
  return out;
}

std::string Text(const Json& v) { return v.kind == Json::String ? v.text : std::string(); }
int64_t Id(const Json& v) { return v.kind == Json::Number ? std::stoll(v.text) : 0; }
std::string NameEn(const TMMDBDictionary& names) {
  auto it = names.find("en");
  return it == names.end() ? std::string() : it->second;
}

// The Shield databases hold the same networks as their plain twins; their types do not end in
// "-city", so they are read with the country record.
struct SourceCase {
  const char* database;
  const char* source;
  bool city;
};

class SourceDataTest : public testing::TestWithParam<SourceCase> {};

TEST_P(SourceDataTest, EveryNetworkAnswersWithItsSourceRecord) {
  const SourceCase& c = GetParam();
  TMMDBReader reader(TestDatabase(c.database));
  ASSERT_EQ(reader.Metadata().IsCityDatabase(), c.city);
  const Json source = ReadJsonFile(SourceData(c.source));
  bool withIPv4 = false;
  const auto networks = SourceNetworks(source, &withIPv4);
  ASSERT_TRUE(withIPv4);
  TMMDBIPCountryCityInfoEx cityRecord;
  TMMDBIPCountryInfoEx countryRecord;
  TMMDBIPCountryInfoEx& record = c.city ? cityRecord : countryRecord;
  for (const auto& [cidr, net] : networks) {
    for (const TMMDBIPAddress& address : {net.first, net.last}) {
      SCOPED_TRACE(cidr + " at " + address.ToString());
      record.Clear();
      int prefix = -1;
      ASSERT_TRUE(reader.FindRecord(address, prefix, record));
      EXPECT_EQ(prefix, net.prefix);
      const Json& r = *net.record;
      EXPECT_EQ(record.Country().ISOCode(), Text(r["country"]["iso_code"]));
      EXPECT_EQ(record.Country().GeonameId(), Id(r["country"]["geoname_id"]));
      EXPECT_EQ(record.RegisteredCountry().ISOCode(), Text(r["registered_country"]["iso_code"]));
      EXPECT_EQ(record.Continent().Code(), Text(r["continent"]["code"]));
      EXPECT_EQ(record.RepresentedCountry().RType(), Text(r["represented_country"]["type"]));
      if (!c.city) continue;
      EXPECT_EQ(cityRecord.City().GeonameId(), Id(r["city"]["geoname_id"]));
      EXPECT_EQ(NameEn(cityRecord.City().Names()), Text(r["city"]["names"]["en"]));
      EXPECT_EQ(cityRecord.Postal().Code(), Text(r["postal"]["code"]));
      const Json& subdivisions = r["subdivisions"];
      ASSERT_EQ(cityRecord.Subdivisions().Count(), static_cast<int>(subdivisions.items.size()));
      if (!subdivisions.items.empty()) {
        EXPECT_EQ(cityRecord.Subdivisions()[0].ISOCode(), Text(subdivisions.items[0]["iso_code"]));
        EXPECT_EQ(NameEn(cityRecord.Subdivisions()[0].Names()), Text(subdivisions.items[0]["names"]["en"]));
      }
    }
  }
}

// The walk over the IPv4 space yields exactly the IPv4 networks of the source, ascending.
TEST_P(SourceDataTest, EnumerationListsTheIPv4NetworksInOrder) {
  const SourceCase& c = GetParam();
  TMMDBReader reader(TestDatabase(c.database));
  const Json source = ReadJsonFile(SourceData(c.source));
  bool withIPv4 = false;
  const auto networks = SourceNetworks(source, &withIPv4);
  std::vector<std::string> expected;
  for (const auto& [cidr, net] : networks)
    if (!net.first._v6) expected.push_back(cidr);

  TMMDBEnumerator<TMMDBIPCountryCityInfoEx> e = TMMDBEnumerable<TMMDBIPCountryCityInfoEx>(reader, true).GetEnumerator();
  std::vector<std::string> seen;
  uint64_t previousEnd = 0;
  while (e.MoveNext()) {
    const auto* item = e.Current();
    ASSERT_NE(item, nullptr);
    ASSERT_FALSE(item->Start()._v6);
    const std::string cidr = item->Start().ToString() + "/" + std::to_string(item->Prefix());
    const uint64_t start = item->Start()._ipv4.Value;
    EXPECT_GE(start, previousEnd) << cidr << " is not after the network before it";
    previousEnd = start + (uint64_t{1} << (32 - item->Prefix()));
    seen.push_back(cidr);
    auto it = networks.find(cidr);
    ASSERT_NE(it, networks.end()) << cidr;
    EXPECT_EQ(item->Data().Country().ISOCode(), Text((*it->second.record)["country"]["iso_code"])) << cidr;
    EXPECT_EQ(item->Data().City().GeonameId(), Id((*it->second.record)["city"]["geoname_id"])) << cidr;
  }
  EXPECT_EQ(e.Current(), nullptr);
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(Databases, SourceDataTest,
                         testing::Values(SourceCase{"GeoIP2-Country-Test.mmdb", "GeoIP2-Country-Test.json", false},
                                         SourceCase{"GeoIP2-City-Test.mmdb", "GeoIP2-City-Test.json", true},
                                         SourceCase{"GeoLite2-Country-Test.mmdb", "GeoLite2-Country-Test.json", false},
                                         SourceCase{"GeoLite2-City-Test.mmdb", "GeoLite2-City-Test.json", true},
                                         SourceCase{"GeoIP2-City-Shield-Test.mmdb", "GeoIP2-City-Test.json", false},
                                         SourceCase{"GeoIP2-Country-Shield-Test.mmdb", "GeoIP2-Country-Test.json",
                                                    false}),
                         [](const auto& info) {
                           std::string name = info.param.database;
                           name = name.substr(0, name.find('.'));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace korrin::test

namespace korrin::test {
namespace {

// Every network with data, walked over the whole tree, as "network=ip" lines; each is also
// looked up by its first and last address.
std::vector<std::string> NetworksAndLookups(const std::string& database) {
  TMMDBReader reader(TestDatabase(database));
  std::vector<std::string> lines;
  auto e = TMMDBEnumerable<TIPRecord>(reader, false).GetEnumerator();
  while (e.MoveNext()) {
    const auto& item = *e.Current();
    const std::string cidr = item.Start().ToString() + "/" + std::to_string(item.Prefix());
    lines.push_back(cidr + "=" + item.Data().ip);
    for (bool ones : {false, true}) {
      TIPRecord record;
      int prefix = -1;
      EXPECT_TRUE(reader.FindRecord(HostBits(item.Start(), item.Prefix(), ones), prefix, record)) << cidr;
      EXPECT_EQ(prefix, item.Prefix()) << cidr;
      EXPECT_EQ(record.ip, item.Data().ip) << cidr;
    }
  }
  return lines;
}

TEST(RecordSizes, TwentyFourTwentyEightAndThirtyTwoBitTreesGiveTheSameAnswers) {
  const std::map<std::string, std::vector<std::string>> expected = {
      {"ipv4",
       {"1.1.1.1/32=1.1.1.1", "1.1.1.2/31=1.1.1.2", "1.1.1.4/30=1.1.1.4", "1.1.1.8/29=1.1.1.8", "1.1.1.16/28=1.1.1.16",
        "1.1.1.32/32=1.1.1.32"}},
      {"ipv6",
       {"::1:ffff:ffff/128=::1:ffff:ffff", "::2:0:0/122=::2:0:0", "::2:0:40/124=::2:0:40", "::2:0:50/125=::2:0:50",
        "::2:0:58/127=::2:0:58"}},
  };
  for (const char* layout : {"ipv4", "ipv6", "mixed"}) {
    std::vector<std::string> first;
    for (const char* size : {"24", "28", "32"}) {
      const std::string name = std::string("MaxMind-DB-test-") + layout + "-" + size + ".mmdb";
      SCOPED_TRACE(name);
      const std::vector<std::string> lines = NetworksAndLookups(name);
      EXPECT_FALSE(lines.empty());
      if (first.empty()) first = lines;
      EXPECT_EQ(lines, first);
      if (expected.count(layout)) {
        EXPECT_EQ(lines, expected.at(layout));
      }
    }
  }
}

}  // namespace
}  // namespace korrin::test
