#include "settings/stored_settings_list.h"

#include <gtest/gtest.h>

#include "common/exception.h"
#include "settings/settings_file.h"
#include "tests/settings/settings_samples.h"

namespace korrin {
namespace {

TEST(StoredSettings, SavedChangedAndLoadedBackRestoresTheChoices) {
  TKorrinSettings window = test::EveryFieldChanged();
  window.Ports = "";  // empty when saved, so not stored
  TStoredSettingsList stored;
  StoreSettings(stored, "Office", window);
  const TKorrinSettings saved = window;

  TVHashedStringList file;
  stored.SaveToList(file, "StoredList", "Setting");
  EXPECT_EQ(file.Values("StoredListN"), "1");
  EXPECT_EQ(file.Values("StoredList1.Name"), "Office");
  EXPECT_EQ(file.Values("StoredList1.Setting1"), "ResolveCountry=1");
  EXPECT_EQ(file.Values("StoredList1.Count"), std::to_string(stored.GetSettings(0).Settings().Count()));

  TStoredSettingsList reloaded;
  reloaded.LoadFromList(file, "StoredList", "Setting");
  ASSERT_EQ(reloaded.Count(), 1);
  EXPECT_EQ(reloaded.GetSettings(0).Settings().Text(), stored.GetSettings(0).Settings().Text());

  window = TKorrinSettings();
  window.Ports = "typed since";
  ASSERT_TRUE(LoadStoredSettings(reloaded, "office", window));
  TKorrinSettings expected = saved;
  expected.Ports = "typed since";  // set only when present: keeps the current text
  EXPECT_EQ(window, expected);
  EXPECT_FALSE(LoadStoredSettings(reloaded, "Home", window));
}

TEST(StoredSettings, SavingUnderAnExistingNameInOtherCaseUpdatesThatSetInPlace) {
  TStoredSettingsList stored;
  TKorrinSettings choices;
  choices.IPRanges = {"a", "b", "c"};
  StoreSettings(stored, "Lab", choices);
  choices.IPRanges = {"x"};
  StoreSettings(stored, "LAB", choices);
  ASSERT_EQ(stored.Count(), 1);
  EXPECT_EQ(stored.GetSettings(0).Name(), "Lab");
  // Keys beyond the new count stay in the set, but the count bounds the reading.
  EXPECT_EQ(stored.GetSettings(0).Settings().Values("IPRange3"), "c");
  TKorrinSettings loaded;
  ASSERT_TRUE(LoadStoredSettings(stored, "lab", loaded));
  EXPECT_EQ(loaded.IPRanges, std::vector<std::string>{"x"});
}

TEST(StoredSettings, LoadingFromAListFollowsItsCountsAndNames) {
  struct Case {
    const char* file;
    const char* sets;  // name: lines | name: lines ...
  } cases[] = {
      {"", ""},
      {"StoredListN=0\nStoredList1.Name=A\nStoredList1.Count=1\nStoredList1.Setting1=x=1", ""},
      {"StoredListN=abc\nStoredList1.Name=A", ""},
      {"StoredListN=2\nStoredList1.Name=A\nStoredList1.Count=2\nStoredList1.Setting1=x=1\n"
       "StoredList1.Setting2=y=2\nStoredList2.Name=B\nStoredList2.Count=1\nStoredList2.Setting1=z=3",
       "A: x=1 y=2 | B: z=3"},
      // The same name in other letter case merges, holding the later entry's lines.
      {"StoredListN=2\nStoredList1.Name=Lab\nStoredList1.Count=1\nStoredList1.Setting1=x=1\n"
       "StoredList2.Name=LAB\nStoredList2.Count=1\nStoredList2.Setting1=y=2",
       "Lab: y=2"},
      // An empty name skips its entry; a missing count reads no lines; holes are skipped.
      {"StoredListN=3\nStoredList1.Count=1\nStoredList1.Setting1=x=1\nStoredList2.Name=B\n"
       "StoredList2.Setting1=y=2\nStoredList3.Name=C\nStoredList3.Count=3\nStoredList3.Setting2=z=3",
       "B: | C: z=3"},
      // Absurd counts read only what is present.
      {"StoredListN=2000000000\nStoredList7.Name=G\nStoredList7.Count=2147483647\n"
       "StoredList7.Setting9=q=1\nStoredList7.Setting-1=no",
       "G: q=1"},
      {"StoredListN=1\nStoredList1.Name=N\nStoredList1.Count=-5\nStoredList1.Setting1=x=1", "N:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TStoredSettingsList stored;
    stored.LoadFromList(test::ListOf(c.file), "StoredList", "Setting");
    std::string sets;
    for (int32_t i = 0; i < stored.Count(); ++i) {
      if (i > 0) sets += " | ";
      sets += stored.GetSettings(i).Name() + ":";
      const auto& lines = stored.GetSettings(i).Settings();
      for (int32_t j = 0; j < lines.Count(); ++j) sets += " " + lines.Get(j);
    }
    EXPECT_EQ(sets, c.sets);
  }
}

// Each set claiming the largest count costs nothing beyond the lines present: reading every
// claimed number would take 5,000 x 15,000 look-ups here.
TEST(StoredSettings, ManySetsWithAbsurdCountsReadOnlyTheirLines) {
  std::string file = "StoredListN=2000000000\n";
  for (int i = 1; i <= 5000; ++i) {
    const std::string set = "StoredList" + std::to_string(i);
    file += set + ".Name=S" + std::to_string(i) + "\n" + set + ".Count=2147483647\n" + set + ".Setting" +
            std::to_string(i) + "=Mode=1\n";
  }
  TStoredSettingsList stored;
  stored.LoadFromList(test::ListOf(file), "StoredList", "Setting");
  ASSERT_EQ(stored.Count(), 5000);
  EXPECT_EQ(stored.GetSettings(4999).Settings().Text(), "Mode=1\r\n");
}

TEST(StoredSettings, PositionalAccessChecksIndexes) {
  TStoredSettingsList stored;
  stored.Add(std::make_unique<TStoredSettings>("a"));
  stored.SetSettings(0, std::make_unique<TStoredSettings>("b"));
  EXPECT_EQ(stored.GetSettingsByName("B"), &stored.GetSettings(0));
  EXPECT_EQ(stored.GetSettingsByName("a"), nullptr);
  EXPECT_THROW(stored.GetSettings(1), Exception);
  stored.Delete(0);
  EXPECT_EQ(stored.Count(), 0);
}

// Writing appends and replaces lines, which keeps the name table valid; a load leaves it invalid
// once, so the reading that follows builds it in one pass, not once per look-up.
TEST(StoredSettings, ManySetsBuildTheNameTableOnceWhenSavedAndOnceWhenLoaded) {
  TStoredSettingsList stored;
  TKorrinSettings choices = test::EveryFieldChanged();
  for (int i = 0; i < 300; ++i) {
    choices.TotalCount = std::to_string(i);
    StoreSettings(stored, "Set " + std::to_string(i), choices);
  }
  TVHashedStringList file;
  SaveSettingsToList(choices, file);
  stored.SaveToList(file, "StoredList", "Setting");
  EXPECT_EQ(file.HashRebuilds(), 1);

  TVHashedStringList reread;
  reread.SetText(file.Text());
  TKorrinSettings loaded;
  TStoredSettingsList loaded_stored;
  LoadSettingsFromList(reread, loaded);
  loaded_stored.LoadFromList(reread, "StoredList", "Setting");
  EXPECT_EQ(reread.HashRebuilds(), 1);
  EXPECT_EQ(loaded_stored.Count(), 300);
  EXPECT_EQ(loaded_stored.GetSettings(299).Settings().Values("TotalCount"), "299");
}

}  // namespace
}  // namespace korrin
