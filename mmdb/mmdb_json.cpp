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

// The output of one JSON text, within the decoder's budget of bytes.
class TJsonOut {
 public:
  std::string Take() { return std::move(FOut); }

  void String(std::string_view text) {
    Put('"');
    // Runs of characters that need no escape go out whole.
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const auto u = static_cast<unsigned char>(text[i]);
      if (u >= 0x20 && u != '"' && u != '\\') continue;
      Put(text.substr(run, i - run));
      Put(u < 0x20 ? Format("\\u%04x", u) : std::string{'\\', text[i]});
      run = i + 1;
    }
    Put(text.substr(run));
    Put('"');
  }

 protected:
  // Every byte of the output comes through here, so one long value cannot pass the budget
  // many times over before it is checked.
  void Put(std::string_view text) {
    if (text.size() > size_t{TMMDBDecoder::kMaxDecodedBytes} - FOut.size()) RaiseTooLarge();
    FOut += text;
  }
  void Put(char c) { Put(std::string_view(&c, 1)); }
  [[noreturn]] static void RaiseTooLarge() {
    RaiseBadData("more values than a record can hold (pointers fan out too far).");
  }

  std::string FOut;
};

class TJsonWriter : public TJsonOut {
 public:
  TJsonWriter(const TMMDBDecoder& decoder, const TMMDBBuffer& database) : FDecoder(decoder), FDatabase(database) {}

  // Appends the value at `offset`; returns the offset after it (after the pointer, for one).
  int64_t Value(int64_t offset, int depth) {
    if (++FValues > TMMDBDecoder::kMaxVisitedValues) RaiseTooLarge();
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
        Put('[');
        for (size_t i = 0; i < bytes.size(); ++i) {
          if (i) Put(',');
          Put(std::to_string(static_cast<uint8_t>(bytes[i])));
        }
        Put(']');
        return c.Offset + c.Size;
      }
      case mtUint16:
      case mtUint32:
      case mtUint64: Put(std::to_string(FDatabase.ReadULong(c.Offset, c.Size))); return c.Offset + c.Size;
      case mtInt32:
        // Fewer than four bytes are not sign-extended, as in the record decode.
        Put(std::to_string(FDatabase.ReadInteger(0, c.Offset, c.Size)));
        return c.Offset + c.Size;
      case mtUint128: {
        if (c.Size > 16) RaiseBadData("invalid size of uint128.");
        const std::string_view bytes = FDatabase.View(c.Offset, c.Size);
        Put(Decimal(bytes));
        return c.Offset + c.Size;
      }
      case mtBoolean:
        if (c.Size > 1) RaiseBadData("invalid size of boolean.");
        Put(c.Size ? "true" : "false");
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
    Put(isMap ? '{' : '[');
    int64_t offset = c.Offset;
    for (int64_t i = 0; i < c.Size; ++i) {
      if (i) Put(',');
      if (isMap) {
        const size_t keyStart = FOut.size();
        offset = Value(offset, depth + 1);
        if (FOut[keyStart] != '"')
          throw EMMDBError(TMMDBErrorKind::BadData, "Database contains a non-string as map key");
        Put(':');
      }
      offset = Value(offset, depth + 1);
    }
    Put(isMap ? '}' : ']');
    return offset;
  }

  template <class T>
  void Number(T value) {
    if (!std::isfinite(value)) {
      Put("null");
      return;
    }
    // The shortest text that reads back as the same value.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    Put(std::string_view(text, static_cast<size_t>(result.ptr - text)));
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
  int64_t FValues = 0;
};

}  // namespace

std::string MMDBValueJson(const TMMDBDecoder& decoder, const TMMDBBuffer& database, int64_t offset) {
  TJsonWriter writer(decoder, database);
  writer.Value(offset, 0);
  return writer.Take();
}

std::string MMDBStringJson(std::string_view text) {
  TJsonOut out;
  out.String(text);
  return out.Take();
}

std::string MMDBValueText(const TMMDBDecoder& decoder, const TMMDBBuffer& database, int64_t offset) {
  const TMMDBControl c = decoder.ReadControl(decoder.ValueStart(offset));
  if (c.Type == mtUtf8String) return std::string(database.View(c.Offset, c.Size));
  return MMDBValueJson(decoder, database, offset);
}

}  // namespace korrin
