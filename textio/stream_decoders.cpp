#include "textio/stream_decoders.h"

#include "common/utf16.h"
#include "common/windows_1252.h"

namespace korrin {

namespace {

// UTF-16 code units are copied as they are (unpaired surrogates included); only a dangling odd
// byte at the very end is malformed.
class TUnicodeEncoding final : public TEncoding {
 public:
  explicit TUnicodeEncoding(bool BigEndian) : FBigEndian(BigEndian) {}

  std::span<const uint8_t> Preamble() const override {
    static constexpr uint8_t kLittle[] = {0xFF, 0xFE};
    static constexpr uint8_t kBig[] = {0xFE, 0xFF};
    return FBigEndian ? std::span<const uint8_t>(kBig) : std::span<const uint8_t>(kLittle);
  }

  size_t IncompleteTail(std::span<const uint8_t> Bytes) const override { return Bytes.size() % 2; }

  void Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const override {
    AppendUtf16Units(Bytes, FBigEndian, Out);
  }

 private:
  bool FBigEndian;
};

// One byte, one character; there is no preamble and no malformed input.
class TWindows1252Encoding final : public TEncoding {
 public:
  std::span<const uint8_t> Preamble() const override { return {}; }
  size_t IncompleteTail(std::span<const uint8_t>) const override { return 0; }
  void Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const override {
    const size_t base = Out.size();
    Out.resize(base + Bytes.size());
    for (size_t i = 0; i < Bytes.size(); ++i) Out[base + i] = Windows1252ToUnicode(Bytes[i]);
  }
};

}  // namespace

const TEncoding& TEncoding::Windows1252() {
  static const TWindows1252Encoding encoding;
  return encoding;
}

const TEncoding& TEncoding::Unicode() {
  static const TUnicodeEncoding encoding(false);
  return encoding;
}

const TEncoding& TEncoding::BigEndianUnicode() {
  static const TUnicodeEncoding encoding(true);
  return encoding;
}

}  // namespace korrin
