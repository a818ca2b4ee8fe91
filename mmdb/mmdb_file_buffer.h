#pragma once
// A database file's bytes as the reader uses them. A file that is rewritten in place while in use
// (`cp`, `curl -o`, `rsync --inplace`, `truncate`) must never end the program nor feed the reader
// bytes of two versions: files up to a bound are read into memory, so the reader keeps the version
// it opened; larger ones are mapped, and a cut under the mapping or a write into the file is
// reported as a changed file.
#include <cstdint>
#include <memory>
#include <string>

#include <sys/stat.h>

#include "common/file_descriptor.h"
#include "mmdb/guarded_mapping.h"
#include "mmdb/mmdb_buffer.h"

namespace korrin {

// Every database published today is far below it; reading one this size takes a fraction of a second.
constexpr int64_t kMMDBReadWholeLimit = int64_t{256} << 20;

class TMMDBFileBuffer : public TMMDBBuffer {
 public:
  // Reads or maps the whole file; raises the system's message when it cannot be opened or read,
  // refuses at once anything but a regular file (a FIFO or a device would block or never end),
  // and says so when the file changes while it is being read.
  explicit TMMDBFileBuffer(const std::string& fileName, int64_t readWholeLimit = kMMDBReadWholeLimit);

 protected:
  bool FileRewritten() const override;

 private:
  struct TFree {
    void operator()(uint8_t* bytes) const;
  };
  // Not zeroed first: the file's bytes are its first writes.
  std::unique_ptr<uint8_t[], TFree> FBytes;
  std::unique_ptr<TGuardedMapping> FMapping;
  // Kept open while the file is mapped, to compare the file with what it was when opened: the
  // descriptor keeps naming this file when another is renamed over its name, which is safe.
  TFileDescriptor FFile;
  struct stat FOpened {};
};

}  // namespace korrin
