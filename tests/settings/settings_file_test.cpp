#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "common/exception.h"
#include "tests/settings/settings_samples.h"
#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

using test::ReadBytes;
using test::WriteBytes;

TEST(SettingsFile, RoundTripOfEveryFieldAndTheStoredSets) {
  test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  TStoredSettingsList stored;
  StoreSettings(stored, "First", TKorrinSettings());
  StoreSettings(stored, "Second", test::EveryFieldChanged());
  SaveSettings(file, test::EveryFieldChanged(), stored);

  const std::string bytes = ReadBytes(file);
  EXPECT_TRUE(bytes.starts_with("ResolveCountry=1\r\nMMDBFilePath=/data/country.mmdb\r\n"));
  EXPECT_TRUE(bytes.ends_with("\r\n"));
  EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
  EXPECT_NE(bytes.find("NameTemplate=h\xC3\xB4te-@.example.org\r\n"), std::string::npos);  // UTF-8

  TKorrinSettings loaded;
  TStoredSettingsList loaded_stored;
  ASSERT_TRUE(LoadSettings(file, loaded, loaded_stored));
  EXPECT_EQ(loaded, test::EveryFieldChanged());
  ASSERT_EQ(loaded_stored.Count(), 2);
  TKorrinSettings second;
  ASSERT_TRUE(LoadStoredSettings(loaded_stored, "second", second));
  EXPECT_EQ(second, test::EveryFieldChanged());
  EXPECT_EQ(loaded_stored.GetSettings(0).Settings().Text(), stored.GetSettings(0).Settings().Text());
}

TEST(SettingsFile, LoadsWindows1252AndUtf16Files) {
  using namespace std::string_literals;
  test::TTempFolder folder;
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"Windows-1252", "Mode=1\r\nNameTemplate=h\xF4te-#.example.org\r\nIPRangeN=1\nIPRange1=\x80"},
      {"UTF-16 LE",
       "\xFF\xFE"
       "M\0o\0d\0e\0=\0"
       "1\0\r\0\n\0N\0a\0m\0e\0T\0e\0m\0p\0l\0a\0t\0e\0=\0"
       "h\0\xF4\0t\0e\0-\0#\0.\0"
       "e\0x\0a\0m\0p\0l\0e\0.\0o\0r\0g\0\r\0"
       "I\0P\0R\0a\0n\0g\0e\0N\0=\0"
       "1\0\n\0I\0P\0R\0a\0n\0g\0e\0"
       "1\0=\0\xAC\x20"s},
      {"UTF-8 with mark",
       "\xEF\xBB\xBFMode=1\rNameTemplate=h\xC3\xB4te-#.example.org\r"
       "IPRangeN=1\r\nIPRange1=\xE2\x82\xAC\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(folder / "k.ini", c.bytes);
    TKorrinSettings s;
    TStoredSettingsList stored;
    ASSERT_TRUE(LoadSettings(folder / "k.ini", s, stored));
    EXPECT_EQ(s.Mode, TCountChoice::TotalCount);
    EXPECT_EQ(s.NameTemplate, "h\xC3\xB4te-#.example.org");
    EXPECT_EQ(s.IPRanges, std::vector<std::string>{"\xE2\x82\xAC"});
  }
}

// Damaged files: random bytes around the shapes the reader looks for. Each loads, whatever it holds.
TEST(SettingsFile, ArbitraryBytesAlwaysLoad) {
  test::TTempFolder folder;
  const std::string file = folder / "k.ini";
  const char* pieces[] = {"\xFF\xFE", "\xFE\xFF",    "\xEF\xBB\xBF", "=",           "\r",    "\n",      "\r\n",
                          "IPRangeN", "StoredListN", "StoredList1.", "Name",        "Count", "Setting", "1",
                          "0",        "-1",          "2147483647",   "99999999999", "$",     "\xC3",    "\xD8",
                          "\0"};
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int n = rng() % 200;
    for (int i = 0; i < n; ++i) {
      if (rng() % 3 == 0) bytes += static_cast<char>(rng() % 256);
      else bytes += std::string(pieces[rng() % std::size(pieces)]);
    }
    WriteBytes(file, bytes);
    TKorrinSettings s;
    TStoredSettingsList stored;
    ASSERT_TRUE(LoadSettings(file, s, stored)) << round;
    SaveSettings(file, s, stored);  // and what was loaded saves and loads again alike
    TKorrinSettings again;
    TStoredSettingsList stored_again;
    ASSERT_TRUE(LoadSettings(file, again, stored_again));
    EXPECT_EQ(again, s) << round;
    EXPECT_EQ(stored_again.Count(), stored.Count()) << round;
  }
}

TEST(SettingsFile, MissingFileIsTheFirstRunAndOtherFailuresAreReported) {
  test::TTempFolder folder;
  TKorrinSettings s;
  s.Ports = "kept";
  TStoredSettingsList stored;
  EXPECT_FALSE(LoadSettings(folder / "none.ini", s, stored));
  EXPECT_EQ(s.Ports, "kept");
  try {
    LoadSettings(folder.Path(), s, stored);  // a folder, not a file
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + folder.Path() + "\". Is a directory");
  }
  EXPECT_THROW(SaveSettings(folder / "missing/k.ini", s, stored), Exception);
}

TEST(SettingsFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  WriteBytes(file, "old");
  ::chmod(file.c_str(), 0640);
  TStoredSettingsList stored;
  SaveSettings(file, TKorrinSettings(), stored);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replacement keeps the permissions

  // A folder in the file's place cannot be replaced by a rename.
  const std::string blocked = folder / "blocked.ini";
  std::filesystem::create_directory(blocked);
  WriteBytes(blocked + "/inside", "x");
  EXPECT_THROW(SaveSettings(blocked, TKorrinSettings(), stored), Exception);
  EXPECT_EQ(ReadBytes(blocked + "/inside"), "x");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path())) ++entries;
  EXPECT_EQ(entries, 2);
}

// A file-size limit makes the write fail part-way, as a full disk does, without needing one.
TEST(SettingsFile, AWriteFailingPartWayLeavesTheOldFileWhole) {
  test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  const std::string old_text = "Mode=1\r\n";
  WriteBytes(file, old_text);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TKorrinSettings s = test::EveryFieldChanged();
    s.IPRanges.assign(2000, "10.0.0.0/8");
    try {
      SaveSettings(file, s, TStoredSettingsList());
    } catch (const Exception& e) {
      ::_exit(std::string(e.what()).starts_with("Cannot write file \"" + file + "\". ") ? 0 : 2);
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: another message, 3: another exception";
  EXPECT_EQ(ReadBytes(file), old_text);
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path())) ++entries;
  EXPECT_EQ(entries, 1);  // the temporary file is gone
}

TEST(SettingsFile, SavingThroughASymbolicLinkReplacesItsTarget) {
  test::TTempFolder folder;
  WriteBytes(folder / "real.ini", "old");
  std::filesystem::create_symlink(folder / "real.ini", folder / "link.ini");
  SaveSettings(folder / "link.ini", TKorrinSettings(), TStoredSettingsList());
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
  EXPECT_TRUE(ReadBytes(folder / "real.ini").starts_with("ResolveCountry=0\r\n"));
}

// Version k of the choices and sets that the child writes; large enough that a save takes a while.
void MakeVersion(int k, TKorrinSettings& s, TStoredSettingsList& stored) {
  s = test::EveryFieldChanged();
  s.TotalCount = std::to_string(k);
  s.IPRanges.clear();
  for (int i = 0; i < 300; ++i) s.IPRanges.push_back("10." + std::to_string(k % 200) + ".0." + std::to_string(i));
  stored.Clear();
  for (int i = 0; i < 40; ++i) {
    s.EachCount = std::to_string(k + i);
    StoreSettings(stored, "Set " + std::to_string(i), s);
  }
  s.EachCount = "25";
}

TEST(SettingsFile, AKilledSaveLeavesOneWholeVersion) {
  test::TTempFolder folder;
  const std::string file = folder / "korrin2.ini";
  TKorrinSettings s;
  TStoredSettingsList stored;
  MakeVersion(0, s, stored);
  SaveSettings(file, s, stored);
  std::mt19937 rng(2024);
  int first = 1;
  for (int round = 0; round < 12; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The child never returns into the test runner, whatever happens.
      try {
        for (int k = first; k < first + 100000; ++k) {
          MakeVersion(k, s, stored);
          SaveSettings(file, s, stored);
        }
      } catch (...) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + rng() % 200));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);

    TKorrinSettings loaded;
    TStoredSettingsList loaded_stored;
    ASSERT_TRUE(LoadSettings(file, loaded, loaded_stored));
    const int k = std::stoi(loaded.TotalCount);
    MakeVersion(k, s, stored);
    EXPECT_EQ(loaded, s) << "round " << round;
    ASSERT_EQ(loaded_stored.Count(), stored.Count());
    for (int32_t i = 0; i < stored.Count(); ++i)
      EXPECT_EQ(loaded_stored.GetSettings(i).Settings().Text(), stored.GetSettings(i).Settings().Text());
    first += 100000;
  }
  // Killed saves may leave temporary files; the next save removes them, but not the temporary
  // file of a save still running, nor files it did not make.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::vector<std::string> kept = {"korrin2.ini", "korrin2.ini." + std::to_string(::getppid()) + ".7.tmp",
                                         "korrin2.ini.notes.tmp", "other.ini." + std::to_string(gone) + ".1.tmp"};
  for (const std::string& name : kept)
    if (name != "korrin2.ini") std::ofstream(folder / name) << "x";
  std::ofstream(folder / ("korrin2.ini." + std::to_string(gone) + ".3.tmp")) << "left over";
  SaveSettings(file, s, stored);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace korrin
