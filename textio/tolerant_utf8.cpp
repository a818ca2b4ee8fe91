#include "textio/tolerant_utf8.h"

#include "common/utf16.h"

namespace korrin {

namespace {

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::span<const uint8_t> TFixedUTF8Encoding::Preamble() const {
  static constexpr uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
  return kMark;
}

size_t TFixedUTF8Encoding::IncompleteTail(std::span<const uint8_t> Bytes) const {
  return IncompleteUtf8Tail(AsText(Bytes));
}

void TFixedUTF8Encoding::Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const {
  AppendUtf8AsUtf16(AsText(Bytes), Out);
}

const TFixedUTF8Encoding& TFixedUTF8Encoding::Shared() {
  static const TFixedUTF8Encoding encoding;
  return encoding;
}

}  // namespace korrin
