#pragma once
// An ordered list of text lines with constant-time look-up of whole lines and of name=value names;
// it holds the settings file and every stored set of settings. Its two tables are built on the
// first look-up and kept up to date by the common changes (append, replace, delete), so that
// writing many values by name never rebuilds them. Look-ups build the tables, so even const use
// belongs to one thread at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/string_hash.h"

namespace korrin {

class TVHashedStringList {
 public:
  explicit TVHashedStringList(int32_t BucketsSize = 256);

  int32_t Count() const { return static_cast<int32_t>(FLines.size()); }
  const std::string& Get(int32_t Index) const;
  // The text before the first "=", or empty for a line without one.
  std::string Names(int32_t Index) const;

  int32_t Add(std::string S);
  void Insert(int32_t Index, std::string S);
  void Put(int32_t Index, std::string S);
  void Delete(int32_t Index);
  void Clear();

  // Every line followed by CR LF, the last one too.
  std::string Text() const;
  // Splits at CR, LF or CR LF; replaces the whole content as one change.
  void SetText(std::string_view Text);
  // Reads UTF-8 or UTF-16 with a byte-order mark, else UTF-8, else Windows-1252; keeps only the
  // lines that hold a name (name=value).
  void LoadFromFile(const std::string& FileName);
  // Writes UTF-8 without a byte-order mark; the file is replaced whole or not at all.
  void SaveToFile(const std::string& FileName) const;

  int32_t IndexOf(std::string_view S) const;
  int32_t IndexOfName(std::string_view Name) const;
  // Empty for a missing name; setting an empty value deletes the name, so none is ever stored.
  std::string Values(std::string_view Name) const;
  void SetValues(std::string_view Name, std::string_view Value);

  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  bool AutoUpdateHash() const { return FAutoUpdateHash; }
  void SetAutoUpdateHash(bool Value) { FAutoUpdateHash = Value; }
  void SetHashClass(TVStringHashClass Value);
  void SetOnChange(std::function<void()> Value) { FOnChange = std::move(Value); }

  // The key under which a line or name is hashed: upper-cased unless the list is case-sensitive.
  std::string NormalisedKey(std::string_view S) const;
  // How many times a table was built from all lines; look-ups on a valid table never add to it.
  int32_t HashRebuilds() const { return FHashRebuilds; }

 private:
  void CheckIndex(int32_t Index) const;
  void SetLines(std::string_view Text, bool NamedOnly);
  void UpdateValueHash() const;
  void UpdateNameHash() const;
  std::unique_ptr<TVStringHash> NewHash() const;
  // Invalidates every table that the last change did not keep, then notifies.
  void Changed(bool KeepValueHash, bool KeepNameHash);

  std::vector<std::string> FLines;
  bool FCaseSensitive = false;
  int32_t FBucketsSize;
  mutable std::unique_ptr<TVStringHash> FValueHash;
  mutable std::unique_ptr<TVStringHash> FNameHash;
  mutable bool FValueHashValid = false;
  mutable bool FNameHashValid = false;
  mutable int32_t FHashRebuilds = 0;
  bool FAutoUpdateHash = true;
  TVStringHashClass FHashClass;
  std::function<void()> FOnChange;
};

}  // namespace korrin
