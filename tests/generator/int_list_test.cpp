#include "generator/int_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

std::vector<int32_t> Values(const TIntList& list) {
  std::vector<int32_t> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Value(i));
  return v;
}

TEST(IntList, SortedAddKeepsOrderAndRefusesDuplicates) {
  TIntList list;
  list.SetSorted(true);
  list.Add(5);
  list.Add(3);
  list.Add(4);
  EXPECT_EQ(Values(list), (std::vector<int32_t>{3, 4, 5}));
  list.SetNoDuplicates(true);
  EXPECT_EQ(list.Add(4), -1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.FindSorted(5), 2);
  EXPECT_EQ(list.Find(9), -1);
  try {
    list.Insert(0, 1);
    FAIL();
  } catch (const EIntListError& e) {
    EXPECT_STREQ(e.what(), "Operation not allowed on sorted list");
  }
}

TEST(IntList, SortRemovesRepeatsWhenAskedAndSurvivesSortedInput) {
  TIntList list;
  for (int i = 0; i < 5000; ++i) list.Add(i % 7 == 0 ? 3 : 5000 - i);  // many equal keys, descending runs
  list.Sort();
  const auto v = Values(list);
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
  list.SetSorted(true);
  list.SetNoDuplicates(true);
  const auto u = Values(list);
  EXPECT_EQ(std::adjacent_find(u.begin(), u.end()), u.end());
  EXPECT_EQ(list.FindSorted(3), 1);  // 1 is the only smaller value
}

TEST(IntList, AddFromStringReadsNumbersAndRanges) {
  const std::pair<const char*, std::vector<int32_t>> cases[] = {
      {"1,5-7,10", {1, 5, 6, 7, 10}},
      {"1 ,2 - 3", {1, 2, 3}},
      {"1, 2", {1}},
      {"3,x,4", {3}},
      {"7-", {7}},
      {"0,1", {}},
      {"05", {}},
      {"  4,,6", {4, 6}},
      {"8-x", {}},
      {"9-7", {}},
      {"99999999999", {}},
  };
  for (const auto& [text, expected] : cases) {
    TIntList list;
    list.AddFromString(text);
    EXPECT_EQ(Values(list), expected) << text;
  }
}

TEST(IntList, BoundsAndExchange) {
  TIntList list;
  list.AddRange(5, 3);
  EXPECT_EQ(list.Count(), 0);
  list.AddRange(1, 3);
  int calls = 0;
  list.SetOnExchangeItems([&](int a, int b) { calls += a * 10 + b; });
  list.Exchange(0, 2);
  list.Exchange(1, 1);
  EXPECT_EQ(Values(list), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(calls, 2);
  try {
    list.Exchange(0, list.Count());
    FAIL();
  } catch (const EIntListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_THROW(list.SetCapacity(1), EIntListError);
  EXPECT_THROW(list.Delete(3), EIntListError);
  list.IncValue(0, 4);
  list.DecValue(1, 2);
  *list.GetPInt(2) = 9;
  EXPECT_EQ(Values(list), (std::vector<int32_t>{7, 0, 9}));
}

TEST(IntList, StreamsHoldLittleEndianIntegersOnly) {
  TIntList list;
  std::stringstream empty;
  list.SaveToStream(empty);
  EXPECT_TRUE(empty.str().empty());
  list.Add(1);
  list.Add(-2);
  std::stringstream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.str(), std::string("\x01\0\0\0\xfe\xff\xff\xff", 8));
  std::stringstream seven(std::string("\x05\0\0\0abc", 7));
  TIntList loaded;
  loaded.LoadFromStream(seven);
  EXPECT_EQ(Values(loaded), (std::vector<int32_t>{5}));
}

TEST(IntList, FilesHoldTheStreamFormAndAFailedLoadKeepsTheList) {
  test::TTempFolder folder;
  TIntList list;
  list.Add(1);
  list.Add(-2);
  list.SaveToFile(folder / "ints");
  EXPECT_EQ(test::ReadBytes(folder / "ints"), std::string("\x01\0\0\0\xfe\xff\xff\xff", 8));
  test::WriteBytes(folder / "ints", std::string("\x03\0\0\0\x04\0\0\0\x05", 9));
  list.LoadFromFile(folder / "ints");
  EXPECT_EQ(Values(list), (std::vector<int32_t>{3, 4}));
  EXPECT_THROW(list.LoadFromFile(folder / "missing"), Exception);
  EXPECT_EQ(Values(list), (std::vector<int32_t>{3, 4}));
}

TEST(IntList, ShufflePermutes) {
  TIntList list;
  list.AddRange(1, 50);
  list.SetSorted(true);
  TRandom rng(3);
  list.Shuffle(rng);
  EXPECT_FALSE(list.Sorted());
  auto v = Values(list);
  EXPECT_NE(v, Values([] {
              TIntList l;
              l.AddRange(1, 50);
              return l;
            }()));
  std::sort(v.begin(), v.end());
  EXPECT_EQ(v.front(), 1);
  EXPECT_EQ(v.back(), 50);
  EXPECT_EQ(std::adjacent_find(v.begin(), v.end()), v.end());
}

}  // namespace
}  // namespace korrin
