// Crafted databases that once cost unbounded memory or time: pointers fanning out to one large
// value, trees whose nodes all share one empty subtree, huge metadata maps, and files that are
// not databases at all (FIFOs, devices, directories, sparse giants).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "mmdb_test_support.h"
#include "mmdb_test_writer.h"

namespace korrin::test {
namespace {

const std::string kFanOut =
    "The MaxMind DB file's data section contains bad data: more values than a record can hold (pointers fan out too "
    "far).";

std::string CountryAt(TMMDBReader& reader, const char* address) {
  TMMDBIPCountryCityInfoEx record;
  int prefix = 0;
  reader.FindRecord(TMMDBIPAddress(StrToIPAddr(address).ipv4), prefix, record);
  return record.Country().ISOCode();
}

TEST(Hostile, PointersFanningOutToOneLargeValueExhaustTheBudgetNotTheMemory) {
  // 1,100 copies of 100 KB in the metadata and of 1 MB in a City record: 110 MB and 1.1 GB
  // if every pointer were copied.
  const Bytes big = Str(std::string(100'000, 'x'));
  auto metadataWith = [&](uint32_t target) {
    MMDBWriter w(4, 24);
    w.SetMetadata("languages", Array(std::vector<Bytes>(1100, Ptr(target))));
    w.SetMetadata("node_count", U32(1));
    w.SetMetadata("zzz", big);
    return w.Build();
  };
  // Metadata pointers count from just after the marker: find where the string landed.
  const Bytes marker = {0xAB, 0xCD, 0xEF, 'M', 'a', 'x', 'M', 'i', 'n', 'd', '.', 'c', 'o', 'm'};
  const Bytes draft = metadataWith(5000);
  const auto start = std::search(draft.begin(), draft.end(), marker.begin(), marker.end()) + 14;
  const auto target = static_cast<uint32_t>(std::search(start, draft.end(), big.begin(), big.begin() + 10) - start);
  ASSERT_GE(target, 2048u);  // the same pointer width as the draft's, so the layout holds
  EXPECT_EQ(Error([&] { TMMDBReader r(metadataWith(target), "fan-out-meta.mmdb"); }), kFanOut);

  MMDBWriter city(4, 24, "Test-City");
  const uint32_t name = city.AddData(Str(std::string(1'000'000, 'n')));
  const uint32_t subdivision = city.AddData(Map({{Str("names"), Map({{Str("en"), Ptr(name)}})}}));
  city.Insert("1.0.0.0/8", Map({{Str("country"), Map({{Str("iso_code"), Str("CI")}})},
                                {Str("subdivisions"), Array(std::vector<Bytes>(1100, Ptr(subdivision)))}}));
  city.Insert("2.0.0.0/8", Map({{Str("country"), Map({{Str("iso_code"), Str("OK")}})}}));
  TMMDBReader reader(city.Build(), "fan-out.mmdb");
  EXPECT_EQ(Error([&] { CountryAt(reader, "1.2.3.4"); }), kFanOut);
  EXPECT_EQ(CountryAt(reader, "2.2.3.4"), "OK");
  auto walk = TMMDBEnumerable<TMMDBIPCountryCityInfoEx>(reader, true).GetEnumerator();
  EXPECT_EQ(Error([&] { walk.MoveNext(); }), kFanOut);
}

// Every node leads to the next one on both sides, so 2^bits paths end in the one empty last
// node: without remembering empty subtrees, the walk would visit each of them.
Bytes SharedEmptyTree(int ipVersion, int bits) {
  MMDBWriter w(ipVersion, 24);
  w.Insert(ipVersion == 4 ? "0.0.0.0/32" : "::/128", Str("only"));
  for (int node = 0; node < bits; ++node)
    for (int side = 0; side < 2; ++side)
      w.SetRawRecord(node, side, static_cast<uint32_t>(node + 1 < bits ? node + 1 : bits));
  return w.Build();
}

TEST(Hostile, AWalkOverSharedEmptySubtreesEndsAfterFewNodeVisits) {
  for (const auto& [ipVersion, bits] : {std::pair{4, 32}, std::pair{6, 128}}) {
    TMMDBReader reader(SharedEmptyTree(ipVersion, bits), "shared.mmdb");
    ASSERT_EQ(reader.Metadata().NodeCount(), bits);
    for (bool IPv4Only : {true, false}) {
      auto walk = TMMDBEnumerable<TMMDBIPCountryInfo>(reader, IPv4Only).GetEnumerator();
      EXPECT_FALSE(walk.MoveNext()) << ipVersion;
      walk.Reset();
      EXPECT_FALSE(walk.MoveNext()) << ipVersion;
    }
  }
}

TEST(Hostile, AWalkThatMeetsDataInASharedSubtreeGivesEachNetworkInOrder) {
  // Node 0 leads to node 1 on both sides; node 1 holds data on its right only.
  MMDBWriter w(4, 24);
  w.Insert("0.0.0.0/2", Map({{Str("country"), Map({{Str("iso_code"), Str("LO")}})}}));
  const uint32_t data = w.AddData(Map({{Str("country"), Map({{Str("iso_code"), Str("HI")}})}}));
  w.SetRawRecord(0, 0, 1);
  w.SetRawRecord(0, 1, 1);
  w.SetRawRecord(1, 0, static_cast<uint32_t>(w.NodeCount()));
  w.SetRawRecord(1, 1, static_cast<uint32_t>(w.NodeCount()) + 16 + data);
  TMMDBReader reader(w.Build(), "shared-data.mmdb");
  std::vector<std::string> networks;
  auto walk = TMMDBEnumerable<TMMDBIPCountryInfo>(reader, true).GetEnumerator();
  while (walk.MoveNext())
    networks.push_back(walk.Current()->Start().ToString() + "/" + std::to_string(walk.Current()->Prefix()) + "=" +
                       walk.Current()->Data().Country().ISOCode());
  EXPECT_EQ(networks, (std::vector<std::string>{"64.0.0.0/2=HI", "192.0.0.0/2=HI"}));
}

TEST(Hostile, MetadataWithManyKeysReadsThemAllAndStillRefusesDuplicates) {
  std::vector<std::pair<Bytes, Bytes>> entries;
  for (int i = 0; i < 9000; ++i) entries.emplace_back(Str(Format("k%05d", i)), Str("v"));
  MMDBWriter w(4, 24);
  w.SetMetadata("description", Map(entries));
  TMMDBReader reader(w.Build(), "many-keys.mmdb");
  ASSERT_EQ(reader.Metadata().Description().size(), 9000u);
  EXPECT_EQ(reader.Metadata().Description().at("k08999"), "v");
  entries.emplace_back(Str("k04500"), Str("again"));
  w.SetMetadata("description", Map(entries));
  EXPECT_EQ(Error([&] { TMMDBReader r(w.Build(), "duplicate.mmdb"); }), "Duplicates not allowed");
}

TEST(Hostile, FilesThatAreNotRegularFailAtOnceWithoutBlocking) {
  const std::string fifo = testing::TempDir() + "korrin-hostile.fifo";
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string notRegular = "Cannot read file \"%s\". Not a regular file";
  // No writer ever opens the FIFO: a blocking open would hang here.
  EXPECT_EQ(Error([&] { TMMDBReader r(fifo); }), ReplaceAll(notRegular, "%s", fifo));
  std::filesystem::remove(fifo);
  EXPECT_EQ(Error([] { TMMDBReader r(std::string("/dev/zero")); }), ReplaceAll(notRegular, "%s", "/dev/zero"));
  EXPECT_EQ(Error([] { TMMDBReader r(std::string("/dev/null")); }), ReplaceAll(notRegular, "%s", "/dev/null"));
  EXPECT_EQ(Error([] { TMMDBReader r(std::string("/tmp")); }), "Cannot read file \"/tmp\". Is a directory");
}

TEST(Hostile, TheMarkerIsSoughtOnlyInTheLast128KiB) {
  const std::string noMarker =
      "Could not find a MaxMind Db metadata marker in this file (%s). Is this a valid MaxMind Db file?";
  MMDBWriter w(4, 24);
  w.Insert("1.0.0.0/8", Map({{Str("country"), Map({{Str("iso_code"), Str("OK")}})}}));
  Bytes bytes = w.Build();
  const size_t metadataLength = 250;  // well over what the writer's metadata takes
  bytes.resize(bytes.size() + 128 * 1024 - metadataLength, 0);
  EXPECT_EQ(Error([&] { TMMDBReader r(bytes, "near.mmdb"); }), "no error");
  bytes.resize(bytes.size() + metadataLength, 0);
  EXPECT_EQ(Error([&] { TMMDBReader r(bytes, "far.mmdb"); }), ReplaceAll(noMarker, "%s", "far.mmdb"));

  // A sparse file far larger than memory is mapped, not read: it fails on the missing marker.
  const std::string sparse = testing::TempDir() + "korrin-sparse.mmdb";
  {
    std::ofstream(sparse).close();
    if (::truncate(sparse.c_str(), int64_t{100} << 30) != 0) GTEST_SKIP() << "no sparse files here";
  }
  EXPECT_EQ(Error([&] { TMMDBReader r(sparse); }), ReplaceAll(noMarker, "%s", sparse));
  std::filesystem::remove(sparse);
}

}  // namespace
}  // namespace korrin::test
