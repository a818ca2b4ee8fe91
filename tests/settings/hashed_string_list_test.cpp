#include "settings/hashed_string_list.h"

#include <gtest/gtest.h>

#include <random>

#include "common/exception.h"
#include "settings/settings_file_encoding.h"
#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

TEST(VStringHash, HashFoldsUtf16CodeUnitsWithRotation) {
  TVStringHash hash(256);
  EXPECT_EQ(hash.HashOf(""), 0u);
  EXPECT_EQ(hash.HashOf("A"), 0x41u);
  EXPECT_EQ(hash.HashOf("AB"), (0x41u << 2) ^ 0x42u);
  EXPECT_EQ(hash.HashOf("\xC3\xA9"), 0xE9u);  // U+00E9 is one code unit
  // U+1F600 is the surrogate pair D83D DE00.
  EXPECT_EQ(hash.HashOf("\xF0\x9F\x98\x80"), (0xD83Du << 2) ^ 0xDE00u);
  // Past 16 units the high bits rotate back in at the bottom.
  const std::u16string key = u"The quick brown fox jumps over the lazy dog";
  uint32_t h = 0;
  for (const char16_t u : key) h = ((h << 2) | (h >> 30)) ^ u;
  EXPECT_EQ(hash.HashOf("The quick brown fox jumps over the lazy dog"), h);
}

TEST(VStringHash, EqualKeysCoexistAndDeleteRemovesTheOneWithTheValue) {
  TVStringHash hash(1);
  hash.Add("K", 1);
  hash.Add("K", 5);
  hash.Add("L", 7);
  EXPECT_EQ(hash.ValueOf("K"), 5);
  EXPECT_FALSE(hash.Delete("K", 9));
  EXPECT_TRUE(hash.Delete("K", 5));
  EXPECT_EQ(hash.ValueOf("K"), 1);
  hash.DecValues(1);
  EXPECT_EQ(hash.ValueOf("K"), 1);
  EXPECT_EQ(hash.ValueOf("L"), 6);
  hash.Add("K", 3);
  hash.Resize(64);  // equal keys keep their order
  EXPECT_EQ(hash.ValueOf("K"), 3);
  EXPECT_EQ(hash.ItemCount(), 3);
  hash.Clear();
  EXPECT_EQ(hash.ValueOf("L"), -1);
  EXPECT_EQ(hash.BucketCount(), 64);
}

TEST(VStringHash, ClearsALongChainWithoutRecursion) {
  TVStringHash hash(1);
  for (int i = 0; i < 200000; ++i) hash.Add("k", i);
  EXPECT_EQ(hash.ValueOf("k"), 199999);
}

// Every hash collides, so chains are long and deletions must pick the right item.
class TCollidingHash : public TVStringHash {
 public:
  using TVStringHash::TVStringHash;
  uint32_t HashOf(std::string_view) const override { return 7; }
};

// What a look-up must return: the highest index whose (upper-cased) key matches.
int32_t BruteIndexOfName(const TVHashedStringList& list, std::string_view name) {
  for (int32_t i = list.Count() - 1; i >= 0; --i)
    if (list.Get(i).find('=') != std::string::npos && UpperCase(list.Names(i)) == UpperCase(name)) return i;
  return -1;
}

int32_t BruteIndexOf(const TVHashedStringList& list, std::string_view line) {
  for (int32_t i = list.Count() - 1; i >= 0; --i)
    if (UpperCase(list.Get(i)) == UpperCase(line)) return i;
  return -1;
}

struct TRandomOpsCase {
  const char* name;
  bool auto_update;
  bool colliding;
};

void PrintTo(const TRandomOpsCase& c, std::ostream* os) { *os << c.name; }

class HashedListRandomOps : public ::testing::TestWithParam<TRandomOpsCase> {};

TEST_P(HashedListRandomOps, TablesStayFindableAfterAppendsReplacementsAndDeletions) {
  const auto& param = GetParam();
  std::mt19937 rng(12345);
  TVHashedStringList list(16);
  list.SetAutoUpdateHash(param.auto_update);
  if (param.colliding) list.SetHashClass([](int32_t size) { return std::make_unique<TCollidingHash>(size); });
  // Few distinct names so that duplicates, case variants and unnamed lines are common.
  const char* names[] = {"a", "A", "b", "Mode", "MODE", "", "c\xC3\xA9", "C\xC3\x89"};
  auto random_line = [&]() -> std::string {
    const int pick = rng() % 10;
    if (pick == 9) return "no separator " + std::to_string(rng() % 3);
    return std::string(names[pick % 8]) + "=" + std::to_string(rng() % 3);
  };
  for (int step = 0; step < 3000; ++step) {
    const int op = rng() % 10;
    if (op < 4 || list.Count() == 0) list.Add(random_line());
    else if (op < 6) list.Put(rng() % list.Count(), random_line());
    else if (op < 8) list.Delete(rng() % list.Count());
    else if (op == 8) list.SetValues(names[rng() % 8], rng() % 4 ? std::to_string(rng()) : "");
    else if (rng() % 20 == 0) list.Insert(rng() % (list.Count() + 1), random_line());
    for (const char* name : names) ASSERT_EQ(list.IndexOfName(name), BruteIndexOfName(list, name)) << "step " << step;
    if (list.Count() > 0) {
      const std::string& probe = list.Get(rng() % list.Count());
      ASSERT_EQ(list.IndexOf(probe), BruteIndexOf(list, probe)) << "step " << step;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Maintenance, HashedListRandomOps,
                         ::testing::Values(TRandomOpsCase{"Maintained", true, false},
                                           TRandomOpsCase{"Rebuilt", false, false},
                                           TRandomOpsCase{"MaintainedColliding", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HashedList, MaintainedChangesNeverRebuildAndOtherChangesRebuildOnce) {
  TVHashedStringList list;
  int changes = 0;
  list.SetOnChange([&] { ++changes; });
  list.SetText("A=1\r\nplain\r\nB=2\r\n");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list.IndexOfName("b"), 2);
  EXPECT_EQ(list.IndexOf("PLAIN"), 1);
  EXPECT_EQ(list.HashRebuilds(), 2);

  list.Add("C=3");
  list.Put(0, "A=9");
  list.Delete(1);  // the unnamed line: later lines move down and stay findable
  list.SetValues("D", "4");
  list.SetValues("C", "");
  EXPECT_EQ(list.IndexOfName("B"), 1);
  EXPECT_EQ(list.IndexOfName("D"), 2);
  EXPECT_EQ(list.IndexOfName("C"), -1);
  EXPECT_EQ(list.IndexOf("a=9"), 0);
  EXPECT_EQ(list.HashRebuilds(), 2);

  const int before = changes;
  list.Put(0, "A=9");  // identical text: no change at all
  EXPECT_EQ(changes, before);
  list.Put(0, "a=9");  // a case change is a change
  EXPECT_EQ(changes, before + 1);

  list.Insert(1, "E=5");
  EXPECT_EQ(list.IndexOfName("B"), 2);
  EXPECT_EQ(list.IndexOf("E=5"), 1);
  EXPECT_EQ(list.HashRebuilds(), 4);
}

TEST(HashedList, NameValueRules) {
  TVHashedStringList list;
  list.SetText("Mode=1\nno separator\n=empty name\nMode=2\nPath=C:\\a=b\n");
  EXPECT_EQ(list.Values("mode"), "2");  // the later duplicate wins
  EXPECT_EQ(list.Values("MODE"), "2");
  EXPECT_EQ(list.IndexOf("no separator"), 1);
  EXPECT_EQ(list.IndexOfName("no separator"), -1);
  EXPECT_EQ(list.Values(""), "empty name");
  EXPECT_EQ(list.Values("path"), "C:\\a=b");  // the value is everything after the first "="
  EXPECT_EQ(list.Values("missing"), "");

  list.SetValues("Mode", "");
  EXPECT_EQ(list.Values("Mode"), "1");  // only the line that was found goes
  list.SetValues("mode", "");
  EXPECT_EQ(list.IndexOfName("Mode"), -1);
  list.SetValues("New", "x");
  EXPECT_EQ(list.Get(list.Count() - 1), "New=x");
  list.SetValues("new", "y");  // replaced in place, under the name as written now
  EXPECT_EQ(list.Get(list.Count() - 1), "new=y");
  EXPECT_THROW(list.Get(list.Count()), Exception);
  EXPECT_THROW(list.Delete(-1), Exception);
}

TEST(HashedList, CaseSensitiveListsMatchExactly) {
  TVHashedStringList list;
  list.SetText("Key=1\n");
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOfName("KEY"), -1);
  EXPECT_EQ(list.IndexOfName("Key"), 0);
  list.SetCaseSensitive(false);
  EXPECT_EQ(list.IndexOfName("KEY"), 0);
}

// Blank and nameless lines carry nothing a settings file is asked for: a file of millions of
// them loads into nothing, not into a string each.
TEST(HashedList, AFileLoadsOnlyItsNamedLines) {
  const test::TTempFolder folder;
  test::WriteBytes(folder / "k.ini", "\r\n\n\nnoise\r\nMode=1\r\n\r\n=x\r\nA=\r\n");
  TVHashedStringList list;
  list.LoadFromFile(folder / "k.ini");
  EXPECT_EQ(list.Text(), "Mode=1\r\n=x\r\nA=\r\n");
  EXPECT_EQ(list.Values("Mode"), "1");
}

TEST(HashedList, SetTextAcceptsEveryLineEnd) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\r\n", {""}},
  };
  for (const auto& c : cases) {
    TVHashedStringList list;
    list.SetText(c.text);
    std::vector<std::string> lines;
    for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    EXPECT_EQ(lines, c.lines) << '"' << c.text << '"';
  }
  TVHashedStringList list;
  list.SetText("a\nb");
  EXPECT_EQ(list.Text(), "a\r\nb\r\n");
}

}  // namespace
}  // namespace korrin
