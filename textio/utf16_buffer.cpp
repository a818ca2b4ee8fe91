#include "textio/utf16_buffer.h"

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

int64_t CopyToLineBuffer(std::u16string& Buffer, const char16_t* Text, int64_t Length) {
  const auto n = static_cast<size_t>(Length);
  if (n >= Buffer.size()) Buffer.resize(n + 1);
  std::copy_n(Text, n, Buffer.begin());
  Buffer[n] = u'\0';
  return Length;
}

void TStringBuilderEx::CheckRange(int64_t StartIndex, int64_t StrLength) const {
  if (StartIndex < 0) throw Exception("Parameter StartIndex cannot be a negative value");
  if (StrLength < 0) throw Exception("Parameter StrLength cannot be a negative value");
  if (StartIndex > Length())
    throw Exception(Format("List index out of bounds (%lld)", static_cast<long long>(StartIndex)));
  if (StrLength > Length() - StartIndex)
    throw Exception(Format("List index out of bounds (%lld)", static_cast<long long>(StartIndex + StrLength)));
}

bool TStringBuilderEx::StartsWithNull(int64_t StartIndex, int64_t StrLength) const {
  return StrLength == 0 || FData[static_cast<size_t>(StartIndex)] == u'\0';
}

std::u16string TStringBuilderEx::ToNotNullString(int64_t StartIndex, int64_t StrLength) const {
  CheckRange(StartIndex, StrLength);
  if (StartsWithNull(StartIndex, StrLength)) return {};
  return FData.substr(static_cast<size_t>(StartIndex), static_cast<size_t>(StrLength));
}

int64_t TStringBuilderEx::ToNotNullStringBuffer(std::u16string& StringBuffer, int64_t StartIndex,
                                                int64_t StrLength) const {
  CheckRange(StartIndex, StrLength);
  if (StartsWithNull(StartIndex, StrLength)) return CopyToLineBuffer(StringBuffer, nullptr, 0);
  return CopyToLineBuffer(StringBuffer, FData.data() + StartIndex, StrLength);
}

int64_t TStringBuilderEx::ToStringBuffer(std::u16string& StringBuffer, int64_t StartIndex, int64_t StrLength) const {
  CheckRange(StartIndex, StrLength);
  return CopyToLineBuffer(StringBuffer, FData.data() + StartIndex, StrLength);
}

}  // namespace korrin
