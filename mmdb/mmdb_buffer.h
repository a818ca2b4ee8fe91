#pragma once
// The bytes of a database as the decoder and the search tree read them: every read is checked
// against the length, so no file content can make a read leave the bytes.
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

class TMMDBBuffer {
 public:
  virtual ~TMMDBBuffer() = default;
  TMMDBBuffer(const TMMDBBuffer&) = delete;
  TMMDBBuffer& operator=(const TMMDBBuffer&) = delete;

  int64_t Length() const { return FLength; }

  // True when `count` bytes from `offset` lie inside the buffer.
  bool Contains(int64_t offset, int64_t count) const {
    return offset >= 0 && count >= 0 && offset <= FLength && count <= FLength - offset;
  }

  std::vector<uint8_t> Read(int64_t offset, int64_t count) const {
    const uint8_t* p = At(offset, count);
    return {p, p + count};
  }
  // The bytes themselves, valid as long as the buffer.
  std::string_view View(int64_t offset, int64_t count) const {
    return {reinterpret_cast<const char*>(At(offset, count)), static_cast<size_t>(count)};
  }
  uint8_t ReadOne(int64_t offset) const { return *At(offset, 1); }

  double ReadDouble(int64_t offset) const;
  float ReadFloat(int64_t offset) const;
  // Big-endian accumulation of `size` bytes onto `startValue`; bits shifted out are lost.
  // Inline, as every pointer and number of a decode comes through here.
  int32_t ReadInteger(int32_t startValue, int64_t offset, int64_t size) const {
    return static_cast<int32_t>(static_cast<uint32_t>(Accumulate(static_cast<uint32_t>(startValue), offset, size)));
  }
  // Raises the message of a file that changed under its mapping, once that has been seen; for the
  // search tree's walk, which reads its bytes in place.
  void CheckUnchanged() const {
    if (FChanged->load(std::memory_order_relaxed)) RaiseChanged();
  }
  // Raises the same message when the file no longer holds the version opened: a mapped file
  // rewritten in place, which the mapping cannot see. It asks the system, so it runs where a
  // rewrite would explain what was read (before bad data is reported) and now and then (NoteLookUp).
  void CheckFileUnchanged() const {
    CheckUnchanged();
    if (FileRewritten()) RaiseChanged();
  }
  // Once per look-up: a rewrite whose bytes happen to decode is reported within
  // kLookUpsPerFileCheck look-ups, instead of records of another version given silently.
  static constexpr int kLookUpsPerFileCheck = 1024;
  void NoteLookUp() {
    CheckUnchanged();
    if (FWatchesFile && ++FLookUpsUnchecked >= kLookUpsPerFileCheck) {
      FLookUpsUnchecked = 0;
      CheckFileUnchanged();
    }
  }
  int64_t ReadLong(int64_t offset, int64_t size) const { return static_cast<int64_t>(Accumulate(0, offset, size)); }
  uint64_t ReadULong(int64_t offset, int64_t size) const { return Accumulate(0, offset, size); }

 protected:
  TMMDBBuffer() = default;
  // The bytes served, owned by the derived class.
  void SetBytes(std::span<const uint8_t> bytes) {
    FBytes = bytes.data();
    FLength = static_cast<int64_t>(bytes.size());
  }
  // Every later read raises `message` once `changed` is set, and look-ups ask FileRewritten.
  void WatchForChange(const std::atomic<bool>& changed, std::string message) {
    FChanged = &changed;
    FChangedMessage = std::move(message);
    FWatchesFile = true;
  }
  // Whether the file the bytes come from was written since it was opened.
  virtual bool FileRewritten() const { return false; }

 private:
  // The first of `count` bytes at `offset`; raises the bad-data message when they do not fit.
  const uint8_t* At(int64_t offset, int64_t count) const {
    if (!Contains(offset, count)) RaiseReadPastEnd();
    CheckUnchanged();
    return FBytes + offset;
  }
  [[noreturn]] static void RaiseReadPastEnd();
  [[noreturn]] void RaiseChanged() const;
  uint64_t Accumulate(uint64_t startValue, int64_t offset, int64_t size) const {
    const uint8_t* p = At(offset, size);
    // Only the last eight bytes can survive the shifts, so longer runs are read from there.
    if (size > 8) {
      p += size - 8;
      size = 8;
      startValue = 0;
    }
    uint64_t value = startValue;
    for (int64_t i = 0; i < size; ++i) value = (value << 8) | p[i];
    return value;
  }

  static const std::atomic<bool> kNeverChanged;

  const uint8_t* FBytes = nullptr;
  int64_t FLength = 0;
  const std::atomic<bool>* FChanged = &kNeverChanged;
  std::string FChangedMessage;
  bool FWatchesFile = false;
  int FLookUpsUnchecked = 0;
};

}  // namespace korrin
