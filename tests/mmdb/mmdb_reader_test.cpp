// The database file: every public test database opened and walked, the broken ones failing with
// a message, and crafted trees for the search-tree edge cases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "common/exception.h"
#include "common/text.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_error.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_metadata_lines.h"
#include "mmdb/mmdb_reader.h"
#include "mmdb_test_support.h"
#include "mmdb_test_writer.h"

namespace korrin::test {
namespace {

// Walks the whole tree, decoding every network as T and looking up its first address.
template <class T>
void WalkAndLookUp(TMMDBReader& reader, bool IPv4Only) {
  auto e = TMMDBEnumerable<T>(reader, IPv4Only).GetEnumerator();
  while (e.MoveNext()) {
    T record;
    int prefix;
    if (!reader.FindRecord(e.Current()->Start(), prefix, record) || prefix != e.Current()->Prefix())
      throw std::logic_error("look-up differs from the walk at " + e.Current()->Start().ToString());
  }
}

// Opens the database, walks it and looks up every network, as each record type.
void OpenAndWalk(const std::string& path) {
  TMMDBReader reader(path);
  EXPECT_EQ(reader.Metadata().BinaryFormatMajorVersion(), 2);
  EXPECT_FALSE(MMDBMetadataLines(reader.Metadata()).empty());
  WalkAndLookUp<TMMDBIPCountryCityInfoEx>(reader, false);
  WalkAndLookUp<TIPRecord>(reader, false);
  WalkAndLookUp<TMMDBIPCountryInfo>(reader, true);
}

// "ok", or the message of the first failure of opening, walking or looking up.
std::string Outcome(const std::string& path) {
  try {
    OpenAndWalk(path);
  } catch (const Exception& e) {
    return e.what();
  }
  return "ok";
}

TEST(PublicDatabases, EveryOneOpensAndWalksOrFailsWithItsMessage) {
  const std::string corrupt = "The MaxMind Db file's search tree is corrupt: ";
  const std::string bad = "The MaxMind DB file's data section contains bad data: ";
  const std::map<std::string, std::string> failing = {
      {"GeoIP2-City-Test-Broken-Double-Format.mmdb", bad + "invalid size of double."},
      {"GeoIP2-City-Test-Invalid-Node-Count.mmdb", corrupt + "its node count does not fit in the file."},
      {"MaxMind-DB-test-broken-pointers-24.mmdb", bad + "pointer larger than the database."},
      {"MaxMind-DB-test-broken-search-tree-24.mmdb", "Invalid search tree, bad bit 32"},
      {"MaxMind-DB-no-ipv4-search-tree.mmdb", "Could not convert 'string' to 'TMMDBIPCountryCityInfoEx'."},
      {"MaxMind-DB-string-value-entries.mmdb", "Could not convert 'string' to 'TMMDBIPCountryCityInfoEx'."},
  };
  int databases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestDatabase(""))) {
    if (entry.path().extension() != ".mmdb") continue;
    ++databases;
    const std::string name = entry.path().filename().string();
    const auto it = failing.find(name);
    EXPECT_EQ(Outcome(entry.path().string()), it == failing.end() ? "ok" : it->second) << name;
  }
  EXPECT_GT(databases, 0);
}

// Callers tell the failures apart by their kind, without reading the text.
TEST(PublicDatabases, AFailureSaysWhatKindItIs) {
  const std::pair<std::string, TMMDBErrorKind> cases[] = {
      {TestDatabase("No-Such-Database.mmdb"), TMMDBErrorKind::CannotOpen},
      {SourceData("GeoIP2-City-Test.json"), TMMDBErrorKind::NotADatabase},
      {TestDatabase("GeoIP2-City-Test-Invalid-Node-Count.mmdb"), TMMDBErrorKind::CorruptSearchTree},
      {TestDatabase("MaxMind-DB-test-broken-search-tree-24.mmdb"), TMMDBErrorKind::CorruptSearchTree},
      {TestDatabase("MaxMind-DB-test-broken-pointers-24.mmdb"), TMMDBErrorKind::BadData},
      {TestDatabase("GeoIP2-City-Test-Broken-Double-Format.mmdb"), TMMDBErrorKind::BadData},
  };
  for (const auto& [path, kind] : cases) {
    try {
      OpenAndWalk(path);
      ADD_FAILURE() << path << " opened and walked";
    } catch (const EMMDBError& e) {
      EXPECT_EQ(e.Kind(), kind) << path << ": " << e.what();
    }
  }
}

// A Country-style record holding only the country code.
Bytes Country(const char* iso) { return Map({{Str("country"), Map({{Str("iso_code"), Str(iso)}})}}); }

std::string CountryAt(TMMDBReader& reader, const char* address, int* prefix = nullptr) {
  TMMDBIPCountryInfoEx record;
  int p = -1;
  const bool found = reader.FindRecord(TMMDBIPAddress::Parse(address), p, record);
  if (prefix) *prefix = p;
  return found ? record.Country().ISOCode() : "<none>";
}

TEST(Metadata, LinesListEveryValueInOrder) {
  MMDBWriter w(6, 28, "GeoIP2-City");
  w.SetMetadata("description", Map({{Str("en"), Str("English")}, {Str("de"), Str("Deutsch")}}));
  w.SetMetadata("languages", Array({Str("en"), Str("de"), Str("zh-CN")}));
  w.SetMetadata("build_epoch", U64(1700000000));
  TMMDBReader reader(w.Build(), "m.mmdb");
  EXPECT_TRUE(reader.Metadata().IsCityDatabase());
  EXPECT_EQ(reader.Metadata().NodeByteSize(), 7);
  EXPECT_EQ(
      MMDBMetadataLines(reader.Metadata()),
      (std::vector<std::string>{"binary_format_major_version,2", "binary_format_minor_version,0",
                                "build_epoch,1700000000 (2023-11-14T22:13:20Z)", "database_type,GeoIP2-City",
                                "description.en,English", "description.de,Deutsch", "ip_version,6", "language[0],en",
                                "language[1],de", "language[2],zh-CN", "node_count,1", "record_size,28"}));

  // The metadata of this public database reaches its values through pointers.
  TMMDBReader pointers(TestDatabase("MaxMind-DB-test-metadata-pointers.mmdb"));
  EXPECT_EQ(pointers.Metadata().DatabaseType(), "Lots of pointers in metadata");
  EXPECT_EQ(pointers.Metadata().Languages(), (TMMDBStringList{"en", "es", "zh"}));
  EXPECT_EQ(pointers.Metadata().Description().at("es"), "Lots of pointers in metadata");
}

TEST(Metadata, CityDatabasesAreToldByTheEndOfTheirType) {
  struct Case {
    const char* type;
    bool city;
  };
  for (const Case& c : {Case{"GeoIP2-City", true}, Case{"geolite2-CITY", true}, Case{"GeoIP2-Country", false},
                        Case{"GeoIP2-City-Extra", false}, Case{"City", false}}) {
    MMDBWriter w(4, 24, c.type);
    EXPECT_EQ(TMMDBReader(w.Build(), "t.mmdb").Metadata().IsCityDatabase(), c.city) << c.type;
  }
  // The UTC date only, in the C library's short date format (the tests run in the "C" locale).
  for (const auto& [seconds, date] :
       {std::pair<uint64_t, const char*>{0, "01/01/70"}, {86399, "01/01/70"}, {1770163200 + 86399, "02/04/26"}}) {
    MMDBWriter epoch(4, 24);
    epoch.SetMetadata("build_epoch", U64(seconds));
    EXPECT_EQ(TMMDBReader(epoch.Build(), "e.mmdb").Metadata().BuildDate(), date) << seconds;
  }
}

TEST(Reader, IPv4LookupsInAnIPv6TreeStartAtTheIPv4SubtreeAndReportIPv4Prefixes) {
  MMDBWriter w(6, 28);
  w.Insert("1.2.3.0/24", Country("AU"));
  w.Insert("2001:db8::/32", Country("NL"));
  TMMDBReader reader(w.Build(), "v6.mmdb");
  int prefix;
  EXPECT_EQ(CountryAt(reader, "1.2.3.200", &prefix), "AU");
  EXPECT_EQ(prefix, 24);
  EXPECT_EQ(CountryAt(reader, "2001:db8:1::1", &prefix), "NL");
  EXPECT_EQ(prefix, 32);
  // The IPv4-mapped form is walked as the 128-bit address it is.
  EXPECT_EQ(CountryAt(reader, "::ffff:1.2.3.4"), "<none>");
  EXPECT_NE(reader.StartNode(32), 0u);
  EXPECT_EQ(reader.StartNode(128), 0u);
}

TEST(Reader, AnIPv4TreeAnswersFromTheRoot) {
  MMDBWriter w(4, 24);
  w.Insert("0.0.0.0/1", Country("LO"));
  w.Insert("128.0.0.0/2", Country("HI"));
  TMMDBReader reader(w.Build(), "v4.mmdb");
  EXPECT_EQ(reader.StartNode(32), 0u);
  int prefix;
  EXPECT_EQ(CountryAt(reader, "1.2.3.4", &prefix), "LO");
  EXPECT_EQ(prefix, 1);
  EXPECT_EQ(CountryAt(reader, "130.0.0.1", &prefix), "HI");
  EXPECT_EQ(prefix, 2);
  EXPECT_EQ(CountryAt(reader, "200.0.0.1", &prefix), "<none>");
  EXPECT_EQ(prefix, 2);
}

TEST(Reader, DataOnTheWayToTheIPv4SubtreeAnswersEveryIPv4Address) {
  MMDBWriter w(6, 24);
  w.Insert("::/64", Country("ZZ"));
  TMMDBReader reader(w.Build(), "early.mmdb");
  int prefix = -1;
  EXPECT_EQ(CountryAt(reader, "8.8.8.8", &prefix), "ZZ");
  EXPECT_EQ(prefix, 0);
  EXPECT_EQ(CountryAt(reader, "255.255.255.255", &prefix), "ZZ");
}

TEST(Reader, ANotFoundAddressLeavesTheRecordAsItWas) {
  MMDBWriter w(4, 32);
  w.Insert("10.0.0.0/8", Country("AA"));
  TMMDBReader reader(w.Build(), "one.mmdb");
  TMMDBIPCountryInfoEx record;
  int prefix;
  ASSERT_TRUE(reader.FindRecord(TMMDBIPAddress::Parse("10.1.1.1"), prefix, record));
  EXPECT_FALSE(reader.FindRecord(TMMDBIPAddress::Parse("11.1.1.1"), prefix, record));
  EXPECT_EQ(record.Country().ISOCode(), "AA");
  EXPECT_EQ(reader.FindAddressNode(TMMDBIPAddress::Parse("11.1.1.1"), prefix), 0u);
}

TEST(Reader, TwentyEightBitRecordsShareTheMiddleByteByNibbles) {
  MMDBWriter w(4, 28);
  w.SetRawRecord(0, 0, 0x0A123456);
  w.SetRawRecord(0, 1, 0x0B654321);
  const Bytes bytes = w.Build();
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 7), (Bytes{0x12, 0x34, 0x56, 0xAB, 0x65, 0x43, 0x21}));
  TMMDBReader reader(bytes, "nibbles.mmdb");
  EXPECT_EQ(reader.ReadNodeRecord(0, 0), 0x0A123456u);
  EXPECT_EQ(reader.ReadNodeRecord(0, 1), 0x0B654321u);
}

TEST(Reader, TheLastMetadataMarkerWins) {
  MMDBWriter earlier(4, 24, "Earlier");
  MMDBWriter later(4, 24, "Later");
  for (MMDBWriter* w : {&earlier, &later}) w->Insert("1.0.0.0/8", Country("ON"));
  const Bytes a = earlier.Build(), b = later.Build();
  const Bytes marker = {0xAB, 0xCD, 0xEF, 'M', 'a', 'x', 'M', 'i', 'n', 'd', '.', 'c', 'o', 'm'};
  const auto at = std::search(b.begin(), b.end(), marker.begin(), marker.end());
  Bytes both = a;
  both.insert(both.end(), at, b.end());
  TMMDBReader reader(both, "twice.mmdb");
  EXPECT_EQ(reader.Metadata().DatabaseType(), "Later");
  EXPECT_EQ(CountryAt(reader, "1.1.1.1"), "ON");
  // A marker left over at the very end, with nothing after it, wins too and fails to decode.
  Bytes trailing = a;
  trailing.insert(trailing.end(), marker.begin(), marker.end());
  EXPECT_EQ(Error([&] { TMMDBReader r(trailing, "t.mmdb"); }),
            "The MaxMind DB file's data section contains bad data: pointer larger than the database.");
}

TEST(Reader, FilesWithoutAMarkerOrUnreadableFailNamingTheFile) {
  const std::string noMarker =
      "Could not find a MaxMind Db metadata marker in this file (%s). Is this a valid MaxMind Db file?";
  EXPECT_EQ(Error([] { TMMDBReader r(Bytes{}, "empty.mmdb"); }), ReplaceAll(noMarker, "%s", "empty.mmdb"));
  EXPECT_EQ(Error([] { TMMDBReader r(Bytes(5000, 0xAB), "x.mmdb"); }), ReplaceAll(noMarker, "%s", "x.mmdb"));
  const std::string path = testing::TempDir() + "korrin-empty.mmdb";
  std::ofstream(path).close();
  EXPECT_EQ(Error([&] { TMMDBReader r(path); }), ReplaceAll(noMarker, "%s", path));
  std::filesystem::remove(path);
  EXPECT_EQ(Error([&] { TMMDBReader r(path); }), "Cannot open file \"" + path + "\". No such file or directory");
  EXPECT_EQ(Error([] { TMMDBReader r(std::string("/")); }), "Cannot read file \"/\". Is a directory");
}

TEST(Reader, MetadataOfTheWrongStoredTypeFailsTheOpening) {
  MMDBWriter w(4, 24);
  w.SetMetadata("node_count", U16(1));
  EXPECT_EQ(Error([&] { TMMDBReader r(w.Build(), "m.mmdb"); }), "Could not convert 'Integer' to 'Int64'.");
  MMDBWriter ok(4, 24);
  ok.SetMetadata("extra", Map({{Str("ignored"), U128(1, 1)}}));
  EXPECT_EQ(Error([&] { TMMDBReader r(ok.Build(), "m.mmdb"); }), "no error");
}

TEST(Reader, CorruptTreesFailAtTheLookUpThatMeetsThem) {
  const std::string corrupt = "The MaxMind Db file's search tree is corrupt: ";
  struct Case {
    const char* what;
    std::function<void(MMDBWriter&)> craft;
    std::string message;
    bool wholeTree;  // every look-up fails, not only those through the crafted record
  };
  const Case cases[] = {
      {"record size 20", [](MMDBWriter& w) { w.SetMetadata("record_size", U16(20)); }, "Unknown record size: 20", true},
      {"node count past the file", [](MMDBWriter& w) { w.SetMetadata("node_count", U32(100000)); },
       corrupt + "its node count does not fit in the file.", true},
      {"negative node count",
       [](MMDBWriter& w) {
         w.SetMetadata("node_count", Cat({Ctrl(6, 8), Bytes(8, 0xFF)}));
       },
       corrupt + "its node count does not fit in the file.", true},
      {"pointer into the separator",
       [](MMDBWriter& w) { w.SetRawRecord(0, 0, static_cast<uint32_t>(w.NodeCount()) + 5); },
       corrupt + "contains pointer into the data section separator.", false},
      {"pointer past the end", [](MMDBWriter& w) { w.SetRawRecord(0, 0, 0x00FFFFFF); },
       corrupt + "contains pointer past the data section.", false},
      {"pointer into the metadata",
       [](MMDBWriter& w) { w.SetRawRecord(0, 0, static_cast<uint32_t>(w.NodeCount()) + 16 + w.DataSize() + 4); },
       corrupt + "contains pointer past the data section.", false},
      {"bits run out in the tree", [](MMDBWriter& w) { w.SetRawRecord(0, 0, 0); }, "Something bad happened", false},
  };
  for (const Case& c : cases) {
    MMDBWriter w(4, 24);
    w.Insert("128.0.0.0/1", Country("OK"));
    c.craft(w);
    TMMDBReader reader(w.Build(), "crafted.mmdb");
    EXPECT_EQ(Error([&] { CountryAt(reader, "0.0.0.0"); }), c.message) << c.what;
    // A failed look-up leaves the reader usable.
    EXPECT_EQ(Error([&] { CountryAt(reader, "129.0.0.1"); }), c.wholeTree ? c.message : "no error") << c.what;
  }
  // The record size is checked at the first node read, also for an IPv6 tree's IPv4 start.
  MMDBWriter v6(6, 24);
  v6.SetMetadata("record_size", U16(20));
  TMMDBReader reader(v6.Build(), "v6-20.mmdb");
  EXPECT_EQ(Error([&] { CountryAt(reader, "1.2.3.4"); }), "Unknown record size: 20");
}

}  // namespace
}  // namespace korrin::test
