#pragma once
// A data-section value written out whole as JSON text, whatever its keys: for showing a record
// as the database stores it rather than through a record class. Bounded like the decoder: by
// nesting, pointer chains, and a budget of output bytes and visited values.
#include <cstdint>
#include <string>
#include <string_view>

#include "mmdb/mmdb_decoder.h"

namespace korrin {

// The value at `offset` as compact JSON on one line; raises the decoder's bad-data messages.
// Byte arrays become arrays of numbers, 128-bit integers decimal numbers.
std::string MMDBValueJson(const TMMDBDecoder& decoder, const TMMDBBuffer& database, int64_t offset);
// A text as a JSON string, quoted and escaped.
std::string MMDBStringJson(std::string_view text);
// The value as one column's text: a string as stored, any other value as its JSON.
std::string MMDBValueText(const TMMDBDecoder& decoder, const TMMDBBuffer& database, int64_t offset);

}  // namespace korrin
