#pragma once
// Whole-file reads and writes for the files Korrin keeps (settings, saved lists): a write goes to
// a temporary file in the same folder that is flushed to disk and then renamed into place, so
// that a crash, a kill or a full disk during a save leaves either the old file or the new one,
// never a truncated one.
#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korrin {

// Larger files are refused rather than read into memory: no settings or range file comes near it.
constexpr size_t kMaxWholeFileSize = 256u << 20;

std::string ReadWholeFile(const std::string& FileName);

// The folder that holds `path`: "." for a bare name, "/" for one at the root.
std::string FolderOf(const std::string& path);

// A file written piece by piece that replaces `FileName` only at Commit(): a failure or a writer
// destroyed before it leaves the old file as it was. Writes go to a temporary file beside it, as
// WriteFileReplacing's do; a device or pipe is written in place.
class TReplacingFile {
 public:
  explicit TReplacingFile(const std::string& FileName);
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;
  void Write(std::string_view Data);
  void Commit();

 private:
  std::string FName;
  std::string FTarget;
  std::string FTemp;  // empty when written in place, and once committed
  int FFd = -1;
  std::optional<mode_t> FMode;
};

// Replaces `FileName` (through a symbolic link, its target); keeps the permissions of the old file
// and removes the temporary files that killed saves of the same file left beside it.
// A device or pipe (/dev/stdout, a FIFO) is written in place, since it cannot be replaced.
void WriteFileReplacing(const std::string& FileName, std::string_view Data);

// Creates `FileName` whole only when nothing of that name exists; false when something does.
bool WriteFileIfAbsent(const std::string& FileName, std::string_view Data);

}  // namespace korrin
