// The columns beside an address: the country code of every common layout, any field by its path,
// and look-ups only where the database holds the address's family.
#include "mmdb/mmdb_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mmdb/mmdb_enumerator.h"
#include "mmdb_test_support.h"
#include "mmdb_test_writer.h"
#include "test_json.h"

namespace korrin::test {
namespace {

uint32_t RecordOf(TMMDBReader& reader, const char* address, int* prefix = nullptr) {
  int length = 0;
  const uint32_t record = reader.FindAddressNode(TMMDBIPAddress::Parse(address), length);
  if (prefix) *prefix = length;
  return record;
}

// The same record at one IPv4 and one IPv6 network, in a tree of each kind.
struct Tree {
  const char* what;
  int ipVersion;
  bool hasIPv4;
  bool hasIPv6;
};
const Tree kTrees[] = {{"IPv4-only", 4, true, false}, {"IPv6-only", 6, false, true}, {"mixed", 6, true, true}};

Bytes Build(const Tree& tree, const Bytes& record) {
  MMDBWriter w(tree.ipVersion, 28);
  if (tree.hasIPv4) w.Insert("8.8.8.0/24", record);
  if (tree.hasIPv6) w.Insert("2001:4860::/32", record);
  return w.Build();
}

TEST(Columns, TheCountryCodeOfEveryCommonLayoutAndAWarningWhenThereIsNone) {
  struct Layout {
    const char* what;
    Bytes record;
    std::string code;
    std::string fieldsNamed;  // in the warning; empty: no warning
  };
  const Layout layouts[] = {
      {"City/Country", Map({{Str("country"), Map({{Str("iso_code"), Str("US")}})}}), "US", ""},
      {"country_code", Map({{Str("country_code"), Str("US")}}), "US", ""},
      {"country as a string", Map({{Str("country"), Str("US")}}), "US", ""},
      {"country_code before country", Map({{Str("country"), Str("Germany")}, {Str("country_code"), Str("DE")}}), "DE",
       ""},
      {"registered_country only", Map({{Str("registered_country"), Map({{Str("iso_code"), Str("US")}})}}), "",
       "registered_country"},
      {"ASN", Map({{Str("autonomous_system_number"), U32(15169)}, {Str("autonomous_system_organization"), Str("G")}}),
       "", "autonomous_system_number, autonomous_system_organization"},
      {"a country that is no code", Map({{Str("country"), Str("Germany")}}), "", "country"},
  };
  for (const Tree& tree : kTrees) {
    for (const Layout& layout : layouts) {
      for (const bool remember : {true, false}) {
        SCOPED_TRACE(std::string(tree.what) + " / " + layout.what + (remember ? "" : " / not remembered"));
        TMMDBReader reader(Build(tree, layout.record), "layout.mmdb");
        TMMDBColumns columns(reader, {std::string(kCountryCodeField), "autonomous_system_number"}, remember);
        EXPECT_EQ(columns.Warning(), "");  // nothing looked up yet
        for (const char* address : {"8.8.8.8", "2001:4860::8888"}) {
          const bool held = std::string(address).find(':') == std::string::npos ? tree.hasIPv4 : tree.hasIPv6;
          EXPECT_EQ(columns.Of(RecordOf(reader, address))[0], held ? layout.code : "") << address;
        }
        const std::string warning = columns.Warning();
        if (layout.fieldsNamed.empty()) {
          EXPECT_EQ(warning, "");
        } else {
          EXPECT_NE(warning.find("hold no country code"), std::string::npos) << warning;
          EXPECT_TRUE(warning.ends_with("holds: " + layout.fieldsNamed)) << warning;
        }
      }
    }
  }
  // Without a country column there is nothing to warn about.
  TMMDBReader asn(Build(kTrees[0], Map({{Str("asn"), U32(1)}})), "asn.mmdb");
  TMMDBColumns fields(asn, {"asn"});
  EXPECT_EQ(fields.Of(RecordOf(asn, "8.8.8.8")), (std::vector<std::string>{"1"}));
  EXPECT_EQ(fields.Warning(), "");
}

TEST(Columns, EachRecordGetsOnlyItsOwnTextsWhetherRememberedOrNot) {
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/24", Map({{Str("asn"), U32(1)}, {Str("org"), Str("One")}}));
  w.Insert("2.0.0.0/24", Map({{Str("asn"), U32(2)}}));
  TMMDBReader reader(w.Build(), "asn.mmdb");
  using Texts = std::vector<std::string>;
  for (const bool remember : {true, false}) {
    TMMDBColumns columns(reader, {"asn", "org"}, remember);
    for (const auto& [address, texts] : {std::pair{"1.0.0.1", Texts{"1", "One"}}, std::pair{"2.0.0.1", Texts{"2", ""}},
                                         std::pair{"1.0.0.2", Texts{"1", "One"}}, std::pair{"3.0.0.1", Texts{"", ""}}})
      EXPECT_EQ(columns.Of(RecordOf(reader, address)), texts) << address << (remember ? "" : ", not remembered");
  }
}

TEST(Columns, FieldPathsThroughMapsArraysAndEveryKindOfValue) {
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/8",
           Map({{Str("names"), Map({{Str("en"), Str("Blaine, \"MN\"")}})},
                {Str("subdivisions"), Array({Map({{Str("iso_code"), Str("MN")}}), Map({{Str("iso_code"), Str("X")}})})},
                {Str("u16"), U16(65535)},
                {Str("u32"), U32(4294967295u)},
                {Str("u64"), U64(18446744073709551615ull)},
                {Str("u128"), U128(1, 0)},
                {Str("i32"), I32(-7)},
                {Str("double"), Dbl(45.5)},
                {Str("float"), Flt(1.5f)},
                {Str("yes"), Bool(true)},
                {Str("no"), Bool(false)},
                {Str("map"), Map({{Str("a"), U16(1)}})},
                {Str("pointed"), Ptr(0)}}));
  TMMDBReader reader(w.Build(), "fields.mmdb");
  const uint32_t record = RecordOf(reader, "1.2.3.4");
  struct Case {
    const char* path;
    const char* text;  // nullptr: the record lacks it
  };
  const Case cases[] = {
      {"names.en", "Blaine, \"MN\""},
      {"subdivisions.0.iso_code", "MN"},
      {"subdivisions.1.iso_code", "X"},
      {"subdivisions.2.iso_code", nullptr},
      {"subdivisions.-1.iso_code", nullptr},
      {"subdivisions.x", nullptr},
      {"u16", "65535"},
      {"u32", "4294967295"},
      {"u64", "18446744073709551615"},
      {"u128", "18446744073709551616"},
      {"i32", "-7"},
      {"double", "45.5"},
      {"float", "1.5"},
      {"yes", "true"},
      {"no", "false"},
      {"map", "{\"a\":1}"},
      {"subdivisions.0", "{\"iso_code\":\"MN\"}"},
      {"missing", nullptr},
      {"u16.deeper", nullptr},
      {"Names.en", nullptr},
  };
  for (const Case& c : cases) {
    std::string text = "<untouched>";
    const bool found = reader.RecordField(record, ParseFieldPath(c.path), text);
    EXPECT_EQ(found, c.text != nullptr) << c.path;
    if (c.text) {
      EXPECT_EQ(text, c.text) << c.path;
    }
  }
  TMMDBColumns columns(reader, {"missing", "u16", "names.en"});
  EXPECT_EQ(columns.Of(record), (std::vector<std::string>{"", "65535", "Blaine, \"MN\""}));
  EXPECT_EQ(Error([] { ParseFieldPath("city..en"); }), "The field path 'city..en' has an empty step");
  EXPECT_EQ(Error([] { ParseFieldPath(""); }), "The field path '' has an empty step");
}

// The same paths agree with the source data of the public City database, record by record.
TEST(Columns, FieldPathsAgreeWithThePublicSourceData) {
  TMMDBReader reader(TestDatabase("GeoIP2-City-Test.mmdb"));
  const Json source = ReadJsonFile(SourceData("GeoIP2-City-Test.json"));
  const std::vector<std::vector<std::string>> paths = {
      {"city", "names", "en"},           {"location", "latitude"}, {"location", "accuracy_radius"},
      {"subdivisions", "0", "iso_code"}, {"city", "geoname_id"},   {"country", "is_in_european_union"}};
  int compared = 0;
  for (const Json& entry : source.items) {
    const auto& [cidr, record] = entry.members.at(0);
    std::string address = cidr.substr(0, cidr.find('/'));
    // "::a.b.c.d" is the IPv4 network in the IPv6 tree.
    if (address.starts_with("::") && address.find('.') != std::string::npos) address = address.substr(2);
    const uint32_t found = RecordOf(reader, address.c_str());
    ASSERT_NE(found, 0u) << cidr;
    for (const auto& path : paths) {
      const Json* value = &record;
      for (const std::string& step : path)
        value = value->kind == Json::Array ? (std::stoul(step) < value->items.size() ? &value->items[std::stoul(step)]
                                                                                     : &record["no such key"])
                                           : &(*value)[step];
      std::string text;
      EXPECT_EQ(reader.RecordField(found, path, text), !value->IsNull()) << cidr << " " << path.back();
      if (value->IsNull()) continue;
      ++compared;
      if (value->kind == Json::Number) {
        EXPECT_DOUBLE_EQ(std::stod(text), value->number) << cidr;
      } else if (value->kind == Json::Bool) {
        EXPECT_EQ(text, value->boolean ? "true" : "false") << cidr;
      } else {
        EXPECT_EQ(text, value->text) << cidr;
      }
    }
  }
  EXPECT_GT(compared, 100);
}

TEST(Columns, AnIPv6AddressInAnIPv4DatabaseIsFoundOnlyThroughTheFormatsAliases) {
  MMDBWriter w(4, 24);
  w.Insert("1.1.1.0/24", Map({{Str("country_code"), Str("AU")}}));
  TMMDBReader reader(w.Build(), "ipv4.mmdb");
  struct Case {
    const char* address;
    bool found;
    int prefix;
    bool family;
  };
  const Case cases[] = {
      {"1.1.1.1", true, 24, true},    {"::ffff:1.1.1.1", true, 120, true},       {"2002:101:101::1", true, 40, true},
      {"101:101::", false, 0, false}, {"2001:4860:4860::8888", false, 0, false}, {"::ffff:2.2.2.2", false, 103, true},
  };
  for (const Case& c : cases) {
    int prefix = -1;
    EXPECT_EQ(RecordOf(reader, c.address, &prefix) != 0, c.found) << c.address;
    EXPECT_EQ(prefix, c.prefix) << c.address;
    EXPECT_EQ(reader.HoldsFamilyOf(TMMDBIPAddress::Parse(c.address)), c.family) << c.address;
  }
  // The public IPv4 test database: 101:101:: once gave the record of 1.1.1.1.
  TMMDBReader ipv4(TestDatabase("MaxMind-DB-test-ipv4-24.mmdb"));
  EXPECT_EQ(RecordOf(ipv4, "101:101::"), 0u);
  EXPECT_NE(RecordOf(ipv4, "::ffff:1.1.1.1"), 0u);
}

TEST(Columns, TheWalkShowsBothFamiliesIPv4FirstWithoutTheAliasedSubtrees) {
  MMDBWriter w(6, 24);
  w.Insert("8.8.8.0/24", Map({{Str("a"), U16(1)}}));
  w.Insert("2001:4860::/32", Map({{Str("a"), U16(2)}}));
  w.Insert("2002::/16", Map({{Str("a"), U16(3)}}));
  w.Insert("::ffff:0:0/96", Map({{Str("a"), U16(4)}}));
  TMMDBReader reader(w.Build(), "both.mmdb");
  for (const auto& [limit, expected] : {std::pair{size_t{10}, std::vector<std::string>{"8.8.8.0/24", "2001:4860::/32"}},
                                        std::pair{size_t{1}, std::vector<std::string>{"8.8.8.0/24"}}}) {
    std::vector<std::string> networks;
    for (const TMMDBNetworkRow& row : MMDBFirstNetworks(reader, limit)) networks.push_back(row.Network);
    EXPECT_EQ(networks, expected);
  }
}

TEST(Columns, TheChoosableFieldsAreTheCountryCodeThenThePathsOfTheFirstRecords) {
  const Bytes city =
      Map({{Str("country"), Map({{Str("iso_code"), Str("US")}, {Str("names"), Map({{Str("en"), Str("x")}})}})},
           {Str("subdivisions"), Array({Map({{Str("iso_code"), Str("CA")}})})}});
  for (const Tree& tree : kTrees) {
    TMMDBReader reader(Build(tree, city), "city.mmdb");
    EXPECT_EQ(ChoosableFields(reader), (std::vector<std::string>{"country_code", "country.iso_code", "country.names.en",
                                                                 "subdivisions.0.iso_code"}))
        << tree.what;
  }
  // Fields of later records join in the order met, each once; a top-level country_code is the
  // country code's own entry.
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/24", Map({{Str("asn"), U32(1)}, {Str("country_code"), Str("AU")}}));
  w.Insert("2.0.0.0/24", Map({{Str("org"), Str("B")}, {Str("asn"), U32(2)}}));
  TMMDBReader reader(w.Build(), "asn.mmdb");
  EXPECT_EQ(ChoosableFields(reader), (std::vector<std::string>{"country_code", "asn", "org"}));
}

TEST(Columns, JsonOutputIsBoundedAsItIsWritten) {
  // Escaped, each control character takes six bytes: 3 MB of them would be 18 MB of output.
  for (const auto& [size, fails] : {std::pair{size_t{3} << 20, true}, std::pair{size_t{2} << 20, false}}) {
    MMDBWriter w(4, 24);
    w.Insert("1.0.0.0/8", Map({{Str("s"), Str(std::string(size, '\x01'))}}));
    TMMDBReader reader(w.Build(), "big.mmdb");
    const std::string message = Error([&] { reader.RecordJson(RecordOf(reader, "1.2.3.4")); });
    EXPECT_EQ(message != "no error", fails) << message;
  }
}

}  // namespace
}  // namespace korrin::test
