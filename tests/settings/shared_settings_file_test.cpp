#include "settings/shared_settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/exception.h"
#include "settings/settings_file.h"
#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

// One window's view of the settings file: its choices, its stored sets and its saves.
struct TWindow {
  TSharedSettingsFile File;
  TKorrinSettings Choices;
  TStoredSettingsList Stored;

  explicit TWindow(const std::string& fileName) {
    File.Load(fileName, Choices, Stored);
    File.Remember(Choices, Stored);
  }
  void Delete(const std::string& name) { Stored.Delete(Stored.IndexOfName(name)); }
};

std::vector<std::string> StoredNames(const std::string& fileName) {
  TKorrinSettings choices;
  TStoredSettingsList stored;
  LoadExistingSettings(fileName, choices, stored);
  std::vector<std::string> names;
  for (int32_t i = 0; i < stored.Count(); ++i) names.push_back(stored.GetSettings(i).Name());
  return names;
}

TEST(SharedSettingsFile, TwoWindowsKeepWhatTheOtherSaved) {
  const test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  {
    TKorrinSettings choices;
    TStoredSettingsList stored;
    choices.TotalCount = "5";
    for (const char* name : {"Old", "Shared", "Edited"}) StoreSettings(stored, name, choices);
    SaveSettings(file, choices, stored);
  }
  TWindow a(file), b(file);
  TKorrinSettings changed = a.Choices;
  changed.TotalCount = "7";
  StoreSettings(a.Stored, "From A", changed);
  StoreSettings(a.Stored, "edited", changed);  // the same set, another spelling of its name
  a.Delete("Old");
  a.Choices.TotalCount = "7";
  a.File.Save(file, a.Choices, a.Stored);

  b.Choices.EachCount = "3";
  b.Choices.IPRanges = {"10.0.0.0/30"};
  StoreSettings(b.Stored, "From B", b.Choices);
  b.File.Save(file, b.Choices, b.Stored);
  // B never saw "From A", nor that "Old" went and "Edited" changed: none of that is undone.
  EXPECT_EQ(StoredNames(file), (std::vector<std::string>{"Shared", "Edited", "From A", "From B"}));
  const TKorrinSettings merged = LoadChoicesFromFile(file);
  EXPECT_EQ(merged.TotalCount, "7");
  EXPECT_EQ(merged.EachCount, "3");
  EXPECT_EQ(merged.IPRanges, std::vector<std::string>{"10.0.0.0/30"});
  EXPECT_EQ(LoadChoicesFromFile(file, "Edited").TotalCount, "7");

  // A later save writes only what changed since the last one: B's choices stay.
  a.Delete("Shared");
  a.File.Save(file, a.Choices, a.Stored);
  EXPECT_EQ(StoredNames(file), (std::vector<std::string>{"Edited", "From A", "From B"}));
  EXPECT_EQ(LoadChoicesFromFile(file).EachCount, "3");
}

TEST(SharedSettingsFile, WritersAtTheSameTimeLoseNoStoredSet) {
  const test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  constexpr int kSaves = 20;
  const auto writer = [&file](const std::string& prefix) {
    TWindow window(file);
    for (int i = 0; i < kSaves; ++i) {
      StoreSettings(window.Stored, prefix + std::to_string(i), window.Choices);
      window.File.Save(file, window.Choices, window.Stored);
    }
  };
  std::thread first(writer, "first "), second(writer, "second ");
  first.join();
  second.join();
  EXPECT_EQ(StoredNames(file).size(), size_t{2 * kSaves});
}

TEST(SharedSettingsFile, AFileThatFailedToLoadIsReplacedOnlyWithConsentAndKeptBeside) {
  const test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  // Something of that name that cannot be read as a file, whoever runs the test.
  std::filesystem::create_directory(file);
  test::WriteBytes(folder / "korrin2.ini/inside", "kept");
  TSharedSettingsFile shared;
  TKorrinSettings choices;
  choices.TotalCount = "9";
  TStoredSettingsList stored;
  try {
    shared.Load(file, choices, stored);
    ADD_FAILURE() << "a folder loaded as settings";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + file + "\". Is a directory");
  }
  EXPECT_EQ(choices.TotalCount, "9");
  shared.Remember(choices, stored);
  EXPECT_TRUE(shared.KeepsUnreadableFile());
  shared.Save(file, choices, stored);
  EXPECT_TRUE(std::filesystem::is_directory(file));

  shared.AllowReplacing();
  shared.Save(file, choices, stored);
  EXPECT_EQ(LoadChoicesFromFile(file).TotalCount, "9");
  EXPECT_EQ(test::ReadBytes(TSharedSettingsFile::UnreadableCopyName(file) + "/inside"), "kept");
  EXPECT_FALSE(shared.KeepsUnreadableFile());
}

}  // namespace
}  // namespace korrin
