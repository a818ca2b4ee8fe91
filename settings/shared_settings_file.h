#pragma once
// The user's settings file as one window of several sees it. Each window saves at every start of a
// run and at Close; a save that wrote the window's whole state would undo what another window saved
// meanwhile. So a save rereads the file under a lock and writes into it only what this window
// changed since it last read or wrote the file: its changed choices, its added, changed and deleted
// stored sets. A file that could not be read is never written over unless the user agreed, and
// then it is first renamed aside, so that its bytes stay.
#include <string>
#include <unordered_map>

#include "settings/stored_settings_list.h"
#include "settings/window_choices.h"

namespace korrin {

class TSharedSettingsFile {
 public:
  // As LoadSettings (false when there is no file); on failure it raises, Settings and Stored are
  // left as they were, and saves leave the file alone until AllowReplacing.
  bool Load(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored);
  // What the window shows after loading: the base against which its next save finds its changes.
  void Remember(const TKorrinSettings& Settings, const TStoredSettingsList& Stored);
  // Merges the window's changes into the file as it is now; raises with the reason when the file
  // cannot be read or written, which leaves it as it was. Does nothing while a file that failed to
  // load is kept.
  void Save(const std::string& FileName, const TKorrinSettings& Settings, const TStoredSettingsList& Stored);

  bool KeepsUnreadableFile() const { return FUnreadable; }
  // The user's consent: the next save renames the unreadable file to UnreadableCopyName and
  // writes a new one.
  void AllowReplacing() { FReplace = true; }
  static std::string UnreadableCopyName(const std::string& FileName) { return FileName + ".unreadable"; }

 private:
  TKorrinSettings FBaseChoices;
  std::unordered_map<std::string, std::string> FBaseSets;  // name, as the list finds it: its lines
  bool FUnreadable = false;
  bool FReplace = false;
};

}  // namespace korrin
