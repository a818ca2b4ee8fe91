#include "settings/shared_settings_file.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/exception.h"
#include "common/file_descriptor.h"
#include "common/file_io.h"
#include "common/text.h"
#include "settings/settings_file.h"

namespace korrin {

namespace {

// Holds the folder of the settings file locked while a save rereads and rewrites the file: the
// file itself is replaced by a rename, so a lock on it would not last. Without a folder to lock
// (one that cannot be opened) the save goes on unlocked, as before.
class TFolderLock {
 public:
  explicit TFolderLock(const std::string& FileName)
      : FFolder(::open(FolderOf(FileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (FFolder.Fd() >= 0)
      while (::flock(FFolder.Fd(), LOCK_EX) != 0 && errno == EINTR) {
      }
  }

 private:
  TFileDescriptor FFolder;
};

// Renames the file that could not be read to the first free name of UnreadableCopyName, .2, .3 ...
void SetAside(const std::string& FileName, const std::string& CopyName) {
  for (int n = 1; n <= 100; ++n) {
    const std::string to = n == 1 ? CopyName : CopyName + "." + std::to_string(n);
    if (::renameat2(AT_FDCWD, FileName.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 || errno == ENOENT) return;
    if (errno != EEXIST)
      throw Exception(Format("Cannot keep the settings file \"%s\" as \"%s\": %s", FileName.c_str(), to.c_str(),
                             std::strerror(errno)));
  }
  throw Exception(Format("Cannot keep the settings file \"%s\": too many copies beside it", FileName.c_str()));
}

}  // namespace

bool TSharedSettingsFile::Load(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored) {
  TKorrinSettings settings = Settings;
  TStoredSettingsList stored;
  try {
    if (!LoadSettings(FileName, settings, stored)) return false;
  } catch (...) {
    FUnreadable = true;
    throw;
  }
  Settings = std::move(settings);
  Stored = std::move(stored);
  return true;
}

void TSharedSettingsFile::Remember(const TKorrinSettings& Settings, const TStoredSettingsList& Stored) {
  FBaseChoices = Settings;
  FBaseSets.clear();
  for (int32_t i = 0; i < Stored.Count(); ++i) {
    const TStoredSettings& set = Stored.GetSettings(i);
    FBaseSets.emplace(TStoredSettingsList::NameKey(set.Name()), set.Settings().Text());
  }
}

void TSharedSettingsFile::Save(const std::string& FileName, const TKorrinSettings& Settings,
                               const TStoredSettingsList& Stored) {
  if (FUnreadable && !FReplace) return;
  const TFolderLock lock(FileName);
  if (FUnreadable) {
    SetAside(FileName, UnreadableCopyName(FileName));
    FUnreadable = false;
  }
  // Choices the file does not name keep the window's values, as a first save writes them all.
  TKorrinSettings onDisk = Settings;
  TStoredSettingsList stored;
  LoadSettings(FileName, onDisk, stored);
  TakeChangedChoices(FBaseChoices, Settings, onDisk);

  for (int32_t i = 0; i < Stored.Count(); ++i) {
    const TStoredSettings& set = Stored.GetSettings(i);
    const std::string lines = set.Settings().Text();
    const auto base = FBaseSets.find(TStoredSettingsList::NameKey(set.Name()));
    if (base != FBaseSets.end() && base->second == lines) continue;
    TStoredSettings* target = stored.GetSettingsByName(set.Name());
    if (!target) target = &stored.Add(std::make_unique<TStoredSettings>(set.Name()));
    target->Settings().SetText(lines);
  }
  for (const auto& [name, lines] : FBaseSets)
    if (Stored.IndexOfName(name) < 0)
      if (const int32_t index = stored.IndexOfName(name); index >= 0) stored.Delete(index);

  SaveSettings(FileName, onDisk, stored);
  Remember(Settings, Stored);
}

}  // namespace korrin
