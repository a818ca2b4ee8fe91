// The database as the viewer's lines: metadata, header, and the networks of the source data.
#include "viewer/mmdb_meta_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "address/ip_types.h"
#include "common/utf16.h"
#include "tests/mmdb/mmdb_test_writer.h"
#include "tests/mmdb/test_json.h"
#include "viewer/csv_parser.h"

namespace korrin::test {
namespace {

const std::string kData = KORRIN_TEST_DATA_DIR;

std::vector<std::string> ReadAll(TLineReader& reader) {
  std::vector<std::string> lines;
  while (!reader.EndOfLines()) lines.push_back(Utf16ToUtf8(reader.ReadLine()));
  return lines;
}

std::vector<std::string> Split(const std::string& row) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (size_t comma; (comma = row.find(',', start)) != std::string::npos; start = comma + 1)
    cells.push_back(row.substr(start, comma - start));
  cells.push_back(row.substr(start));
  return cells;
}

// The IPv4 networks of a source file as "a.b.c.d/p", IPv4 networks of an IPv6 tree included.
std::map<std::string, const Json*> IPv4Networks(const Json& source) {
  std::map<std::string, const Json*> out;
  for (const Json& entry : source.items) {
    const auto& [cidr, record] = entry.members.at(0);
    const size_t slash = cidr.find('/');
    std::string address = cidr.substr(0, slash);
    int prefix = std::stoi(cidr.substr(slash + 1));
    if (address.find('.') == std::string::npos) continue;
    if (address.rfind("::", 0) == 0) {
      address = address.substr(2);
      prefix -= 96;
    }
    TIPv4 v = StrToIPv4(address);
    v.Value &= prefix == 0 ? 0 : ~uint32_t{0} << (32 - prefix);
    out[IPv4ToStr(v) + "/" + std::to_string(prefix)] = &record;
  }
  return out;
}

// The IPv6 networks of a source file outside the IPv4 space.
size_t IPv6NetworkCount(const Json& source) {
  return static_cast<size_t>(std::count_if(source.items.begin(), source.items.end(), [](const Json& entry) {
    return entry.members.at(0).first.find('.') == std::string::npos;
  }));
}

struct Case {
  const char* file;
  const char* json;
  bool city;
};

class MetaReaderTest : public ::testing::TestWithParam<Case> {};

TEST_P(MetaReaderTest, MetadataHeaderAndEveryNetworkOfTheSourceIPv4First) {
  const Case& c = GetParam();
  TMMDBMetaReader reader(kData + "/test-data/" + c.file, 1024);
  const std::vector<std::string> lines = ReadAll(reader);
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0], "binary_format_major_version,2");
  EXPECT_EQ(lines[1], "binary_format_minor_version,0");
  EXPECT_EQ(lines[2].rfind("build_epoch,", 0), 0u);
  EXPECT_EQ(lines[3], std::string("database_type,") + (c.city ? "GeoIP2-City" : "GeoIP2-Country"));
  size_t header = 0;
  while (header < lines.size() && lines[header].rfind("network,", 0) != 0) ++header;
  ASSERT_LT(header, lines.size());
  EXPECT_EQ(lines[header - 1].rfind("record_size,", 0), 0u);
  EXPECT_EQ(lines[header].substr(lines[header].rfind(',') + 1),
            c.city ? "postal_code" : "registered_country_geoname_id");

  const Json source = ReadJsonFile(kData + "/source-data/" + c.json);
  const auto networks = IPv4Networks(source);
  // The tree may split a source network of IPv6 into several.
  EXPECT_GE(lines.size() - header - 1, networks.size() + IPv6NetworkCount(source));
  for (size_t i = header + 1; i < lines.size(); ++i) {
    const std::vector<std::string> cells = Split(lines[i]);
    ASSERT_EQ(cells.size(), c.city ? 11u : 7u) << lines[i];
    // The IPv6 networks follow the IPv4 ones, which the source's records check.
    if (i > header + networks.size()) {
      EXPECT_NE(cells[0].find(':'), std::string::npos) << lines[i];
      continue;
    }
    const auto found = networks.find(cells[0]);
    ASSERT_NE(found, networks.end()) << lines[i];
    const Json& r = *found->second;
    EXPECT_EQ(cells[3], r["country"]["iso_code"].text) << lines[i];
    EXPECT_EQ(cells[5], r["registered_country"]["iso_code"].text) << lines[i];
    EXPECT_EQ(cells[4], r["country"]["geoname_id"].IsNull() ? "0" : r["country"]["geoname_id"].text) << lines[i];
    if (c.city) {
      EXPECT_EQ(cells[8], r["city"]["names"]["en"].text) << lines[i];
      EXPECT_EQ(cells[10], r["postal"]["code"].text) << lines[i];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, MetaReaderTest,
                         ::testing::Values(Case{"GeoIP2-Country-Test.mmdb", "GeoIP2-Country-Test.json", false},
                                           Case{"GeoIP2-City-Test.mmdb", "GeoIP2-City-Test.json", true}));

TEST(MetaReader, ComesThroughTheClassReferenceAndReportsReaderErrors) {
  const TLineReaderClass& cls = TLineReaderClassOf<TMMDBMetaReader>::Instance();
  auto reader = cls.Create(kData + "/test-data/GeoIP2-Country-Test.mmdb", 1024);
  EXPECT_FALSE(reader->EndOfLines());
  EXPECT_THROW(cls.Create(kData + "/test-data/nonexistent.mmdb", 1024), Exception);
  EXPECT_THROW(cls.Create(kData + "/test-data/GeoIP2-City-Test-Invalid-Node-Count.mmdb", 1024), Exception);
}

TEST(MetaReader, ValuesWithTheDelimiterAQuoteOrALineBreakAreQuotedSoColumnsStay) {
  MMDBWriter w(4, 24, "Test-City");
  w.SetMetadata("description", Map({{Str("en"), Str("Test, \"quoted\"")}}));
  w.Insert("1.0.0.0/8",
           Map({{Str("city"), Map({{Str("names"), Map({{Str("en"), Str("Blaine, Minnesota")}})}})},
                {Str("subdivisions"), Array({Map({{Str("names"), Map({{Str("en"), Str("Say \"hi\"")}})}})})},
                {Str("postal"), Map({{Str("code"), Str("12\r\n34")}})}}));
  const Bytes bytes = w.Build();
  const std::string path = ::testing::TempDir() + "korrin-quoted.mmdb";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  TMMDBMetaReader reader(path, 1024);
  const std::vector<std::string> lines = ReadAll(reader);
  TCSVParser parser(64);
  parser.SetDelimiter(u',');
  auto columns = [&](const std::string& line) {
    std::vector<std::string> out;
    for (int32_t k = 0, n = parser.ParseLine(Utf8ToUtf16(line)); k < n; ++k)
      out.push_back(Utf16ToUtf8(parser.ColumnValue(k)));
    return out;
  };
  const auto description =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("description.en,", 0) == 0; });
  ASSERT_NE(description, lines.end());
  EXPECT_EQ(columns(*description), (std::vector<std::string>{"description.en", "Test, \"quoted\""}));
  const std::vector<std::string> row = columns(lines.back());
  ASSERT_EQ(row.size(), 11u) << lines.back();
  EXPECT_EQ(row[8], "Blaine, Minnesota");
  EXPECT_EQ(row[9], "Say \"hi\"");
  EXPECT_EQ(row[10], "12\r\n34");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace korrin::test
