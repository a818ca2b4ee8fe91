#pragma once
// A file mapped read-only that may be cut short under the mapping (`cp`, `curl -o`, `truncate`
// over a database in use): the kernel then raises SIGBUS at the first read of a page past the new
// end, which would end the program. Here that read finds zeros instead, and Changed() tells the
// reader to stop and say why.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace korrin {

class TGuardedMapping {
 public:
  // Maps `length` bytes of `fd` (more than 0); nothing when the mapping fails (errno set) or too
  // many guarded mappings are open at once (errno EMFILE).
  static std::unique_ptr<TGuardedMapping> Map(int fd, size_t length);
  ~TGuardedMapping();
  TGuardedMapping(const TGuardedMapping&) = delete;
  TGuardedMapping& operator=(const TGuardedMapping&) = delete;

  const uint8_t* Data() const { return FData; }
  size_t Length() const { return FLength; }
  // Set, from the signal handler, once a read hit a part of the file that is gone; every byte
  // of the mapping reads as zero from then on.
  const std::atomic<bool>& Changed() const;

 private:
  TGuardedMapping(const uint8_t* data, size_t length, size_t slot) : FData(data), FLength(length), FSlot(slot) {}

  const uint8_t* FData;
  size_t FLength;
  size_t FSlot;
};

}  // namespace korrin
