#pragma once
// The growable UTF-16 buffer that holds the decoder's text, with copy-outs into a caller's reusable
// buffer so that reading a line need not allocate.
#include <cstdint>
#include <string>

namespace korrin {

class TStringBuilderEx {
 public:
  std::u16string& Chars() { return FData; }
  const std::u16string& Chars() const { return FData; }
  int64_t Length() const { return static_cast<int64_t>(FData.size()); }

  // The range, or the empty string when it is empty or starts with NUL.
  std::u16string ToNotNullString(int64_t StartIndex, int64_t StrLength) const;
  // Copies the range into StringBuffer, followed by a NUL (growing it to StrLength + 1 when it is
  // not longer than the range), and returns the characters copied; the NUL variant copies nothing
  // for a range that starts with NUL.
  int64_t ToNotNullStringBuffer(std::u16string& StringBuffer, int64_t StartIndex, int64_t StrLength) const;
  int64_t ToStringBuffer(std::u16string& StringBuffer, int64_t StartIndex, int64_t StrLength) const;

 private:
  void CheckRange(int64_t StartIndex, int64_t StrLength) const;
  bool StartsWithNull(int64_t StartIndex, int64_t StrLength) const;

  std::u16string FData;
};

// Puts Length characters of Text into Buffer as ReadLineBuffer hands lines out: NUL-terminated,
// growing the buffer only when it is too short.
int64_t CopyToLineBuffer(std::u16string& Buffer, const char16_t* Text, int64_t Length);

}  // namespace korrin
