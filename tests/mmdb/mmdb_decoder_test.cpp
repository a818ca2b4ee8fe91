// The data-section decoder on crafted bytes: encodings, kinds and their messages, records filled
// by key tables, and bad data that must fail with a message instead of reading or recursing on.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "common/exception.h"
#include "mmdb/mmdb_array_buffer.h"
#include "mmdb/mmdb_decoder.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "mmdb_test_support.h"
#include "mmdb_test_writer.h"

namespace korrin::test {
namespace {

// One member of every kind, for the kinds no geolocation record uses.
class TAllKinds : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable() {
    static const TMMDBKeyTable table{
        "TAllKinds",
        {MMDBKey<&TAllKinds::s>("s"), MMDBKey<&TAllKinds::d>("d"), MMDBKey<&TAllKinds::b>("b"),
         MMDBKey<&TAllKinds::i>("i"), MMDBKey<&TAllKinds::l>("l"), MMDBKey<&TAllKinds::u>("u"),
         MMDBKey<&TAllKinds::t>("t"), MMDBKey<&TAllKinds::f>("f"), MMDBKey<&TAllKinds::m>("m"),
         MMDBKey<&TAllKinds::a>("a"), MMDBKey<&TAllKinds::p>("p")}};
    return table;
  }
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  std::string s;
  double d = 0;
  TMMDBBytes b;
  int32_t i = 0;
  int64_t l = 0;
  uint64_t u = 0;
  bool t = false;
  float f = 0;
  TMMDBDictionary m;
  TMMDBStringList a;
  TMMDBPostal p;
};

// Decodes `bytes` (a value at offset 0, pointers relative to 0) into `record`.
int64_t Decode(const Bytes& bytes, TMMDBRecord& record) {
  TMMDBArrayBuffer buffer(bytes);
  return TMMDBDecoder(buffer, 0).DecodeInto(record, 0);
}

std::string DecodeError(const Bytes& bytes, TMMDBRecord&& record) {
  return Error([&] { Decode(bytes, record); });
}

TEST(Decoder, ReadsEveryKindItsMemberTakes) {
  TAllKinds r;
  const Bytes bytes = Map({{Str("s"), Str("text")},
                           {Str("d"), Dbl(42.5)},
                           {Str("b"), Blob({1, 2, 3})},
                           {Str("i"), I32(-7)},
                           {Str("l"), U32(4000000000u)},
                           {Str("u"), U64(1ull << 63)},
                           {Str("t"), Bool(true)},
                           {Str("f"), Flt(1.5f)},
                           {Str("m"), Map({{Str("en"), Str("Earth")}, {Str("de"), Str("Erde")}})},
                           {Str("a"), Array({Str("x"), Str("y")})},
                           {Str("p"), Map({{Str("code"), Str("12345")}})}});
  EXPECT_EQ(Decode(bytes, r), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(r.s, "text");
  EXPECT_EQ(r.d, 42.5);
  EXPECT_EQ(r.b, (TMMDBBytes{1, 2, 3}));
  EXPECT_EQ(r.i, -7);
  EXPECT_EQ(r.l, 4000000000ll);
  EXPECT_EQ(r.u, 1ull << 63);
  EXPECT_TRUE(r.t);
  EXPECT_EQ(r.f, 1.5f);
  EXPECT_EQ(r.m, (TMMDBDictionary{{"de", "Erde"}, {"en", "Earth"}}));
  EXPECT_EQ(r.a, (TMMDBStringList{"x", "y"}));
  EXPECT_EQ(r.p.Code(), "12345");
  // uint16 shares the Integer kind with int32; fewer than four int32 bytes are not sign-extended.
  Decode(Map({{Str("i"), U16(65535)}}), r);
  EXPECT_EQ(r.i, 65535);
  Decode(Map({{Str("i"), Cat({Ctrl(8, 2), {0xFF, 0xFE}})}}), r);
  EXPECT_EQ(r.i, 0xFFFE);
  r.Clear();
  EXPECT_TRUE(r.s.empty() && r.b.empty() && r.m.empty() && r.a.empty() && r.p.Code().empty());
  EXPECT_TRUE(r.d == 0 && r.i == 0 && r.l == 0 && r.u == 0 && !r.t && r.f == 0);
}

TEST(Decoder, PointersAddTheirSizeBiasToTheBase) {
  struct Case {
    Bytes bytes;
    int64_t target;
  };
  const int64_t base = 1000;
  const Case cases[] = {
      {{0x25, 0x10}, 0x510 + base},                 // 1 byte, value bits 101
      {{0x2D, 0x10, 0x20}, 0x51020 + 2048 + base},  // 2 bytes
      {{0x35, 0x10, 0x20, 0x30}, 0x5102030 + 526336 + base},
      {{0x3D, 0xF0, 0x10, 0x20, 0x30}, 0xF0102030ll + base},  // 4 bytes: the value bits are unused
  };
  for (const Case& c : cases) {
    TMMDBArrayBuffer buffer(c.bytes);
    const TMMDBDecoder decoder(buffer, base);
    const TMMDBControl control = decoder.ReadControl(0);
    ASSERT_EQ(control.Type, mtPointer);
    const auto [target, after] = decoder.ReadPointer(control.Size, control.Offset);
    EXPECT_EQ(target, c.target);
    EXPECT_EQ(after, static_cast<int64_t>(c.bytes.size()));
  }
}

TEST(Decoder, SizesUseOneTwoOrThreeFurtherBytes) {
  EXPECT_EQ(Ctrl(2, 300), (Bytes{0x5E, 0x00, 0x0F}));  // 285 + 15
  const std::string long300(300, 'x');
  TAllKinds r;
  Decode(Map({{Str("s"), Str(long300)}}), r);
  EXPECT_EQ(r.s, long300);
  // Three size bytes are a full 24-bit count on top of 65821.
  struct Case {
    Bytes bytes;
    int64_t size, offset;
  };
  const Case cases[] = {{{0x5D, 0x05}, 34, 2},
                        {{0x5E, 0x01, 0x00}, 541, 3},
                        {{0x5F, 0x10, 0x00, 0x00}, 65821 + 0x100000, 4},
                        {{0x5F, 0xFF, 0xFF, 0xFF}, 65821 + 0xFFFFFF, 4},
                        {{0x1F, 0x04, 0x00, 0x00, 0x01}, 65822, 5}};  // extended type: the type byte first
  for (const Case& c : cases) {
    TMMDBArrayBuffer buffer(c.bytes);
    const TMMDBControl control = TMMDBDecoder(buffer, 0).ReadControl(0);
    EXPECT_EQ(control.Size, c.size);
    EXPECT_EQ(control.Offset, c.offset);
  }
}

TEST(Decoder, MapsFillRecordsByKeyInAnyCaseAndSkipTheRest) {
  TMMDBCountryInfoEx country;
  // A pointer key is read through the pointer and decoding goes on after the pointer's bytes;
  // values of unknown keys, unsupported types included, are stepped over.
  const Bytes target = Str("iso_code");
  const Bytes bytes = Cat({target, Map({{Ptr(0), Str("DE")},
                                        {Str("unknown"), U128(1, 2)},
                                        {Str("deep"), Map({{Str("x"), Array({Map({}), Bool(true), Ptr(0)})}})},
                                        {Str("GEONAME_ID"), U32(2921044)},
                                        {Str("is_in_european_union"), Bool(true)},
                                        {Str("names"), Map({{Str("en"), Str("Germany")}})},
                                        {Str("geoname_id"), U32(7)}})});
  TMMDBArrayBuffer buffer(bytes);
  EXPECT_EQ(TMMDBDecoder(buffer, 0).DecodeInto(country, static_cast<int64_t>(target.size())),
            static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(country.ISOCode(), "DE");
  EXPECT_EQ(country.GeonameId(), 7);  // a key stored twice: the later value wins
  EXPECT_TRUE(country.IsInEuropeanUnion());
  EXPECT_EQ(country.Names().at("en"), "Germany");
}

TEST(Decoder, BooleansOccupyOnlyTheirControlByte) {
  TAllKinds r;
  r.t = true;
  Decode(Map({{Str("t"), Bool(false)}, {Str("s"), Str("after")}}), r);
  EXPECT_FALSE(r.t);
  EXPECT_EQ(r.s, "after");
}

TEST(Decoder, KindMismatchesNameBothKinds) {
  struct Case {
    const char* key;
    Bytes value;
    const char* message;
  };
  const Case cases[] = {
      {"geoname_id", U16(5), "Could not convert 'Integer' to 'Int64'."},
      {"geoname_id", Str("5"), "Could not convert 'string' to 'Int64'."},
      {"iso_code", Bool(true), "Could not convert 'Boolean' to 'string'."},
      {"iso_code", Dbl(1), "Could not convert 'Double' to 'string'."},
      {"iso_code", Flt(1), "Could not convert 'Single' to 'string'."},
      {"iso_code", U64(1), "Could not convert 'UInt64' to 'string'."},
      {"iso_code", Blob({1}), "Could not convert 'TArray<System.Byte>' to 'string'."},
      {"is_in_european_union", I32(1), "Could not convert 'Integer' to 'Boolean'."},
      {"names", Str("x"), "Could not convert 'string' to 'TDictionary<System.string,System.string>'."},
      {"names", Map({{Str("en"), U16(1)}}), "Could not convert 'Integer' to 'string'."},
      {"iso_code", Map({}), "Invalid class typecast"},
      {"iso_code", Array({}), "Invalid class typecast"},
      {"names", Array({}), "Invalid class typecast"},
      {"names", Map({{Str("en"), Str("a")}, {Str("en"), Str("b")}}), "Duplicates not allowed"},
      {"iso_code", U128(0, 1), "Unsupported method: DecodeBigInteger"},
      {"iso_code", Cat({Ctrl(12, 0)}), "Unable to handle type:12"},
      {"iso_code", Cat({Ctrl(13, 0)}), "Unable to handle type:13"},
      {"iso_code", Cat({Ctrl(16, 0)}), "Unable to handle type:16"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeError(Map({{Str(c.key), c.value}}), TMMDBCountryInfoEx()), c.message) << c.key;

  const Case cityCases[] = {
      {"subdivisions", Str("x"), "Could not convert 'string' to 'TObjectList<uMMDBInfo.TMMDBSubdivisionEx>'."},
      {"subdivisions", Array({Str("x")}), "Could not convert 'string' to 'TMMDBSubdivisionEx'."},
      {"subdivisions", Map({}), "Invalid class typecast"},
      {"city", U32(1), "Could not convert 'Int64' to 'TMMDBCityInfoEx'."},
      {"city", Array({}), "Invalid class typecast"},
  };
  for (const Case& c : cityCases)
    EXPECT_EQ(DecodeError(Map({{Str(c.key), c.value}}), TMMDBIPCountryCityInfoEx()), c.message) << c.key;
  EXPECT_EQ(DecodeError(Str("x"), TMMDBIPCountryInfoEx()), "Could not convert 'string' to 'TMMDBIPCountryInfoEx'.");
  EXPECT_EQ(DecodeError(Map({{Str("languages"), U16(1)}}), TMMDBMetadata()),
            "Could not convert 'Integer' to 'TList<System.string>'.");
}

TEST(Decoder, BadDataFailsWithAMessage) {
  const std::string bad = "The MaxMind DB file's data section contains bad data: ";
  Bytes nested = Str("x");
  for (int i = 0; i < 1000; ++i) nested = Map({{Str("k"), nested}});
  Bytes deepArrays = Str("x");
  for (int i = 0; i < 1000; ++i) deepArrays = Array({deepArrays});
  struct Case {
    const char* what;
    Bytes bytes;
    std::string message;
  };
  const Case cases[] = {
      {"map cut short", Cat({Ctrl(7, 3), Str("s"), Str("DE"), Str("d")}), bad + "pointer larger than the database."},
      {"value cut short", Map({{Str("iso_code"), Cat({Ctrl(2, 20), {'D', 'E'}})}}),
       bad + "read past the end of the database."},
      {"key cut short", Cat({Ctrl(7, 1), Ctrl(2, 20), {'i'}}), bad + "read past the end of the database."},
      {"pointer past the end", Map({{Str("s"), Ptr(5000)}}), bad + "pointer larger than the database."},
      {"pointer bytes cut short", Cat({Ctrl(7, 1), Str("iso_code"), {0x28, 0x01}}),
       bad + "read past the end of the database."},
      {"skipped value cut short", Cat({Ctrl(7, 1), Str("other"), Ctrl(2, 9)}),
       bad + "read past the end of the database."},
      {"impossible map size", Cat({{0xFF, 0xFF, 0xFF, 0xFF}, Bytes(96, 0)}),
       bad + "map or array larger than the database."},
      {"impossible skipped array", Cat({Ctrl(7, 1), Str("x"), {0x1F, 0x04, 0xFF, 0xFF, 0xFF}}),
       bad + "map or array larger than the database."},
      {"double of 4 bytes", Map({{Str("d"), Cat({Ctrl(3, 4), {0, 0, 0, 0}})}}), bad + "invalid size of double."},
      {"float of 8 bytes", Map({{Str("f"), Cat({Ctrl(15, 8), Bytes(8, 0)})}}), bad + "invalid size of float."},
      {"boolean of size 2", Map({{Str("t"), Ctrl(14, 2)}}), bad + "invalid size of boolean."},
      {"extended type 0", Map({{Str("s"), {0x00, 0x00}}}),
       "Something went horribly wrong in the decoder. An extended type resolved to a type number < 8 (7)"},
      {"non-string key", Cat({Ctrl(7, 1), U16(5), Str("x")}), "Database contains a non-string as map key: 5"},
      {"deep nesting, skipped", Map({{Str("other"), nested}}), bad + "maps and arrays nested too deeply."},
      {"deep arrays, skipped", Map({{Str("other"), deepArrays}}), bad + "maps and arrays nested too deeply."},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeError(c.bytes, TAllKinds()), c.message) << c.what;
}

TEST(Decoder, PointerCyclesAreCutOff) {
  const std::string message = "The MaxMind DB file's data section contains bad data: too many pointers in a row.";
  // A pointer to itself, as the value, as a key, and as the whole record.
  const Bytes selfValue = Cat({Ctrl(7, 1), Str("s"), Ptr(3)});
  EXPECT_EQ(DecodeError(selfValue, TAllKinds()), message);
  EXPECT_EQ(DecodeError(Cat({Ctrl(7, 1), Ptr(1), Str("x")}), TAllKinds()), message);
  EXPECT_EQ(DecodeError(Ptr(0), TAllKinds()), message);
  // Two pointers pointing at each other.
  EXPECT_EQ(DecodeError(Cat({Ptr(2), Ptr(0)}), TAllKinds()), message);
  // A short chain is still followed.
  TAllKinds r;
  Decode(Cat({Ptr(2), Ptr(4), Map({{Str("s"), Str("end")}})}), r);
  EXPECT_EQ(r.s, "end");
}

// Every cut and many single-byte changes of a real City record fail cleanly or decode.
TEST(Decoder, DamagedRealRecordsNeverReadOutsideTheBytes) {
  TMMDBReader reader(TestDatabase("GeoIP2-City-Test.mmdb"));
  int prefix;
  const uint32_t record = reader.FindAddressNode(TMMDBIPAddress::Parse("81.2.69.160"), prefix);
  ASSERT_NE(record, 0u);
  std::ifstream in(TestDatabase("GeoIP2-City-Test.mmdb"), std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int64_t dataStart = reader.Metadata().SearchTreeSize() + 16;
  const int64_t offset = int64_t{record} - reader.Metadata().NodeCount() + reader.Metadata().SearchTreeSize();
  TMMDBIPCountryCityInfoEx full;
  const TMMDBArrayBuffer whole(file);
  const int64_t end = TMMDBDecoder(whole, dataStart).DecodeInto(full, offset);
  ASSERT_EQ(full.City().Names().at("en"), "London");
  int failures = 0;
  for (int64_t cut = offset; cut < end; ++cut) {
    const TMMDBArrayBuffer buffer(Bytes(file.begin(), file.begin() + cut));
    TMMDBIPCountryCityInfoEx r;
    try {
      TMMDBDecoder(buffer, dataStart).DecodeInto(r, offset);
    } catch (const Exception&) {
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
  for (int64_t at = offset; at < end; ++at)
    for (uint8_t value : {0x00, 0x01, 0x1F, 0x20, 0x3F, 0x5F, 0x7F, 0xBF, 0xDF, 0xE1, 0xFF}) {
      Bytes changed = file;
      changed[static_cast<size_t>(at)] = value;
      const TMMDBArrayBuffer buffer(changed);
      TMMDBIPCountryCityInfoEx r;
      try {
        TMMDBDecoder(buffer, dataStart).DecodeInto(r, offset);
      } catch (const Exception&) {
      }
    }
}

// The format's own decoder test database: one record of every stored type, and its extremes.
class TDecoderRecord : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable() {
    static const TMMDBKeyTable table{
        "TDecoderRecord",
        {MMDBKey<&TDecoderRecord::utf8_string>("utf8_string"), MMDBKey<&TDecoderRecord::dbl>("double"),
         MMDBKey<&TDecoderRecord::bytes>("bytes"), MMDBKey<&TDecoderRecord::uint16>("uint16"),
         MMDBKey<&TDecoderRecord::uint32>("uint32"), MMDBKey<&TDecoderRecord::int32>("int32"),
         MMDBKey<&TDecoderRecord::uint64>("uint64"), MMDBKey<&TDecoderRecord::boolean>("boolean"),
         MMDBKey<&TDecoderRecord::flt>("float")}};
    return table;
  }
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  std::string utf8_string;
  double dbl = 0;
  TMMDBBytes bytes;
  int32_t uint16 = 0;
  int64_t uint32 = 0;
  int32_t int32 = 0;
  uint64_t uint64 = 0;
  bool boolean = false;
  float flt = 0;
};

// The same database's "array" (of uint32) and "uint128" under members that cannot take them.
class TWrongKinds : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable() {
    static const TMMDBKeyTable table{"TWrongKinds",
                                     {MMDBKey<&TWrongKinds::array>("array"), MMDBKey<&TWrongKinds::big>("uint128")}};
    return table;
  }
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  TMMDBStringList array;
  uint64_t big = 0;
};

TEST(Decoder, TheFormatsDecoderTestDatabase) {
  TMMDBReader reader(TestDatabase("MaxMind-DB-test-decoder.mmdb"));
  TDecoderRecord r;
  int prefix;
  ASSERT_TRUE(reader.FindRecord(TMMDBIPAddress::Parse("1.1.1.1"), prefix, r));
  EXPECT_EQ(r.utf8_string, "unicode! \u262F - \u266B");
  EXPECT_EQ(r.dbl, 42.123456);
  EXPECT_EQ(r.bytes, (TMMDBBytes{0, 0, 0, 42}));
  EXPECT_EQ(r.uint16, 100);
  EXPECT_EQ(r.uint32, 268435456);
  EXPECT_EQ(r.int32, -268435456);
  EXPECT_EQ(r.uint64, 1152921504606846976ull);
  EXPECT_TRUE(r.boolean);
  EXPECT_EQ(r.flt, 1.1f);

  TDecoderRecord extremes;
  ASSERT_TRUE(reader.FindRecord(TMMDBIPAddress::Parse("::ffff:ffff"), prefix, extremes));
  EXPECT_EQ(extremes.uint16, 65535);
  EXPECT_EQ(extremes.uint32, 4294967295ll);
  EXPECT_EQ(extremes.int32, 2147483647);
  EXPECT_EQ(extremes.uint64, 18446744073709551615ull);
  TDecoderRecord zeros;
  ASSERT_TRUE(reader.FindRecord(TMMDBIPAddress::Parse("::"), prefix, zeros));
  EXPECT_EQ(zeros.uint64, 0u);
  EXPECT_TRUE(zeros.utf8_string.empty());

  EXPECT_EQ(Error([&] {
              TWrongKinds w;
              reader.FindRecord(TMMDBIPAddress::Parse("1.1.1.1"), prefix, w);
            }),
            "Could not convert 'Int64' to 'string'.");
}

// Filling a record changes only what the stored map holds.
TEST(Records, AFillKeepsTheFieldsTheMapLacks) {
  const Bytes london =
      Map({{Str("country"), Map({{Str("ISO_CODE"), Str("GB")}})},
           {Str("represented_country"), Map({{Str("type"), Str("military")}})},
           {Str("city"), Map({{Str("geoname_id"), U32(2643743)}})},
           {Str("subdivisions"),
            Array({Map({{Str("iso_code"), Str("ENG")}, {Str("names"), Map({{Str("en"), Str("England")}})}}),
                   Map({{Str("iso_code"), Str("WSM")}})})}});
  TMMDBIPCountryCityInfoEx city;
  Decode(london, city);
  EXPECT_EQ(city.Country().ISOCode(), "GB");
  EXPECT_EQ(city.RepresentedCountry().RType(), "military");
  ASSERT_EQ(city.Subdivisions().Count(), 2);
  EXPECT_EQ(city.Subdivisions()[0].Names().at("en"), "England");
  EXPECT_EQ(city.Subdivisions()[1].ISOCode(), "WSM");
  EXPECT_TRUE(city.Subdivisions()[1].Names().empty());

  // A Country record: the City parts and the represented country keep what they had.
  Decode(Map({{Str("country"), Map({{Str("iso_code"), Str("FR")}})}}), city);
  EXPECT_EQ(city.Country().ISOCode(), "FR");
  EXPECT_EQ(city.City().GeonameId(), 2643743);
  EXPECT_EQ(city.RepresentedCountry().RType(), "military");
  EXPECT_EQ(city.Subdivisions().Count(), 2);
  Decode(Map({{Str("subdivisions"), Array({Map({{Str("iso_code"), Str("IDF")}})})}}), city);
  ASSERT_EQ(city.Subdivisions().Count(), 1);
  EXPECT_EQ(city.Subdivisions()[0].ISOCode(), "IDF");

  city.Clear();
  EXPECT_TRUE(city.Country().ISOCode().empty());
  EXPECT_EQ(city.City().GeonameId(), 0);
  EXPECT_TRUE(city.RepresentedCountry().RType().empty());
  EXPECT_EQ(city.Subdivisions().Count(), 0);

  // The plain family takes the country parts of a City record and steps over the rest.
  TMMDBIPCountryInfo plain;
  EXPECT_EQ(Decode(london, plain), static_cast<int64_t>(london.size()));
  EXPECT_EQ(plain.Country().ISOCode(), "GB");
  EXPECT_EQ(plain.RepresentedCountry().RType(), "military");
}

}  // namespace
}  // namespace korrin::test
