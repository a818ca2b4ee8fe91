#include "mmdb/mmdb_json.h"

#include <charconv>
#include <cmath>

#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

namespace {

[[noreturn]] void RaiseBadData(const char* what) {
  throw EMMDBError(TMMDBErrorKind::BadData,
                   std::string("The MaxMind DB file's data section contains bad data: ") + what);
}

class TJsonWriter {
 public:
  TJsonWriter(const TMMDBDecoder& decoder, const TMMDBBuffer& database) : FDecoder(decoder), FDatabase(database) {}

  // Appends the value at `offset`; returns the offset after it (after the pointer, for one).
  int64_t Value(int64_t offset, int depth) {
    if (++FValues > TMMDBDecoder::kMaxVisitedValues || FOut.size() > size_t{TMMDBDecoder::kMaxDecodedBytes})
      RaiseBadData("more values than a record can hold (pointers fan out too far).");
    TMMDBControl c = FDecoder.ReadControl(offset);
    int64_t after = -1;
    for (int hops = 1; c.Type == mtPointer; ++hops) {
      if (hops > TMMDBDecoder::kMaxPointerChain) RaiseBadData("too many pointers in a row.");
      const auto [target, next] = FDecoder.ReadPointer(c.Size, c.Offset);
      if (after < 0) after = next;
      c = FDecoder.ReadControl(target);
    }
    const int64_t end = Contents(c, depth);
    return after >= 0 ? after : end;
  }

  std::string Take() { return std::move(FOut); }

 private:
  int64_t Contents(const TMMDBControl& c, int depth) {
    switch (c.Type) {
      case mtUtf8String: String(FDatabase.View(c.Offset, c.Size)); return c.Offset + c.Size;
      case mtDouble:
        if (c.Size != 8) RaiseBadData("invalid size of double.");
        Number(FDatabase.ReadDouble(c.Offset));
        return c.Offset + 8;
      case mtFloat:
        if (c.Size != 4) RaiseBadData("invalid size of float.");
        Number(FDatabase.ReadFloat(c.Offset));
        return c.Offset + 4;
      case mtBytes: {
        const std::string_view bytes = FDatabase.View(c.Offset, c.Size);
        FOut += '[';
        for (size_t i = 0; i < bytes.size(); ++i) {
          if (i) FOut += ',';
          FOut += std::to_string(static_cast<uint8_t>(bytes[i]));
        }
        FOut += ']';
        return c.Offset + c.Size;
      }
      case mtUint16:
      case mtUint32:
      case mtUint64: FOut += std::to_string(FDatabase.ReadULong(c.Offset, c.Size)); return c.Offset + c.Size;
      case mtInt32:
        // Fewer than four bytes are not sign-extended, as in the record decode.
        FOut += std::to_string(FDatabase.ReadInteger(0, c.Offset, c.Size));
        return c.Offset + c.Size;
      case mtUint128: {
        if (c.Size > 16) RaiseBadData("invalid size of uint128.");
        const std::string_view bytes = FDatabase.View(c.Offset, c.Size);
        FOut += Decimal(bytes);
        return c.Offset + c.Size;
      }
      case mtBoolean:
        if (c.Size > 1) RaiseBadData("invalid size of boolean.");
        FOut += c.Size ? "true" : "false";
        return c.Offset;
      case mtMap: return Container(c, depth, true);
      case mtArray: return Container(c, depth, false);
      default: throw EMMDBError(TMMDBErrorKind::BadData, Format("Unable to handle type:%d", c.Type));
    }
  }

  int64_t Container(const TMMDBControl& c, int depth, bool isMap) {
    if (depth >= TMMDBDecoder::kMaxDepth) RaiseBadData("maps and arrays nested too deeply.");
    const int64_t minBytes = isMap ? 2 : 1;
    if (c.Size > (FDatabase.Length() - c.Offset) / minBytes) RaiseBadData("map or array larger than the database.");
    FOut += isMap ? '{' : '[';
    int64_t offset = c.Offset;
    for (int64_t i = 0; i < c.Size; ++i) {
      if (i) FOut += ',';
      if (isMap) {
        const size_t keyStart = FOut.size();
        offset = Value(offset, depth + 1);
        if (FOut[keyStart] != '"')
          throw EMMDBError(TMMDBErrorKind::BadData, "Database contains a non-string as map key");
        FOut += ':';
      }
      offset = Value(offset, depth + 1);
    }
    FOut += isMap ? '}' : ']';
    return offset;
  }

  void String(std::string_view text) {
    FOut += '"';
    for (const char ch : text) {
      const auto u = static_cast<unsigned char>(ch);
      if (ch == '"' || ch == '\\') {
        FOut += '\\';
        FOut += ch;
      } else if (u < 0x20) {
        FOut += Format("\\u%04x", u);
      } else {
        FOut += ch;
      }
    }
    FOut += '"';
  }

  template <class T>
  void Number(T value) {
    if (!std::isfinite(value)) {
      FOut += "null";
      return;
    }
    // The shortest text that reads back as the same value.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    FOut.append(text, result.ptr);
  }

  // Big-endian unsigned bytes as decimal digits, by long division.
  static std::string Decimal(std::string_view bytes) {
    std::string digits;
    std::string number(bytes);
    for (;;) {
      bool zero = true;
      unsigned remainder = 0;
      for (char& b : number) {
        const unsigned v = remainder * 256 + static_cast<uint8_t>(b);
        b = static_cast<char>(v / 10);
        remainder = v % 10;
        zero = zero && b == 0;
      }
      digits.insert(digits.begin(), static_cast<char>('0' + remainder));
      if (zero) return digits;
    }
  }

  const TMMDBDecoder& FDecoder;
  const TMMDBBuffer& FDatabase;
  std::string FOut;
  int64_t FValues = 0;
};

}  // namespace

std::string MMDBValueJson(const TMMDBDecoder& decoder, const TMMDBBuffer& database, int64_t offset) {
  TJsonWriter writer(decoder, database);
  writer.Value(offset, 0);
  return writer.Take();
}

}  // namespace korrin
