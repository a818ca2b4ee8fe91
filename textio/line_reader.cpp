#include "textio/line_reader.h"

#include <algorithm>
#include <array>

#include "common/value_encoding.h"
#include "textio/cached_file_stream.h"

namespace korrin {

namespace {

// The class-wide reject table: one flag per UTF-16 code unit.
struct TRejectChars {
  std::array<bool, 65536> Rejected{};
  bool Active = false;
};

TRejectChars& RejectChars() {
  static TRejectChars chars;
  return chars;
}

bool IsRejected(char16_t c) { return RejectChars().Rejected[c]; }

}  // namespace

TLineReader::TLineReader(std::unique_ptr<TStream> Stream, int32_t BufferSize) : FStream(std::move(Stream)) {
  StartStreamMode(BufferSize);
}

TLineReader::TLineReader(const std::string& Filename, int32_t BufferSize)
    : TLineReader(std::make_unique<TReadOnlyCachedFileStream>(Filename), BufferSize) {}

TLineReader::TLineReader(TStringList Lines) : FLines(std::move(Lines)) {}

TLineReader::~TLineReader() { Close(); }

void TLineReader::StartStreamMode(int32_t BufferSize) {
  FStreamReader =
      std::make_unique<TStreamReaderEx>(FStream.get(), nullptr, true, BufferSize > 0 ? BufferSize : kDefaultBufferSize);
}

void TLineReader::Close() {
  FStreamReader.reset();
  FStream.reset();
  FLines.reset();
}

bool TLineReader::EndOfLines() {
  if (FStreamReader) return FStreamReader->EndOfStream();
  if (FLines) return static_cast<size_t>(FLineIndex) >= FLines->size();
  return true;
}

std::u16string TLineReader::ReadLine() {
  if (!FThreadSafe) return ReadLineUnlocked();
  std::lock_guard lock(FCS);
  return ReadLineUnlocked();
}

int64_t TLineReader::ReadLineBuffer(std::u16string& LineBuffer) {
  if (!FThreadSafe) return ReadLineBufferUnlocked(LineBuffer);
  std::lock_guard lock(FCS);
  return ReadLineBufferUnlocked(LineBuffer);
}

std::u16string TLineReader::ReadLineUnlocked() {
  if (EndOfLines()) return {};
  std::u16string line = FStreamReader ? FStreamReader->ReadLine() : (*FLines)[FLineIndex];
  if (RejectChars().Active) std::erase_if(line, IsRejected);
  ++FLineIndex;
  return line;
}

int64_t TLineReader::ReadLineBufferUnlocked(std::u16string& LineBuffer) {
  if (EndOfLines()) {
    if (!LineBuffer.empty()) LineBuffer[0] = u'\0';
    return 0;
  }
  int64_t length;
  if (FStreamReader) {
    length = FStreamReader->ReadLineBuffer(LineBuffer);
  } else {
    const std::u16string& item = (*FLines)[FLineIndex];
    length = CopyToLineBuffer(LineBuffer, item.data(), static_cast<int64_t>(item.size()));
  }
  if (RejectChars().Active) {
    const auto end = std::remove_if(LineBuffer.begin(), LineBuffer.begin() + length, IsRejected);
    length = end - LineBuffer.begin();
    LineBuffer[static_cast<size_t>(length)] = u'\0';
  }
  ++FLineIndex;
  return length;
}

void TLineReader::GotoNextLine() {
  if (EndOfLines()) return;
  if (FStreamReader) FStreamReader->GotoNextLine();
  ++FLineIndex;
}

void TLineReader::GotoBegin() {
  if (FStreamReader) {
    FStream->SetPosition(0);
    FStreamReader->DiscardBufferedData();
  }
  FLineIndex = 0;
}

int64_t TLineReader::StreamSize() { return FStream ? FStream->Size() : 0; }

int64_t TLineReader::StreamPosition() { return FStream ? FStream->Position() : 0; }

void TLineReader::SetRejectChars(const std::u16string& AllowedChars) {
  TRejectChars& chars = RejectChars();
  chars.Active = true;
  chars.Rejected.fill(false);
  if (AllowedChars.empty()) return;

  std::array<bool, 65536> allowed{};
  size_t i = 0;
  const size_t n = AllowedChars.size();
  // One character, a backslash taking the next one; false when a final backslash ends the text.
  auto take = [&](char16_t& out) {
    char16_t c = AllowedChars[i++];
    if (c == u'\\') {
      if (i >= n) return false;
      c = EscapedChar(AllowedChars[i++]);
    }
    out = c;
    return true;
  };
  while (i < n) {
    char16_t first, last;
    if (!take(first)) break;
    last = first;
    if (n - i >= 2 && AllowedChars[i] == u'-') {
      ++i;
      if (!take(last)) break;
    }
    if (last >= first) std::fill(allowed.begin() + first, allowed.begin() + last + 1, true);
  }
  for (size_t c = 0; c < allowed.size(); ++c) chars.Rejected[c] = !allowed[c];
}

void TLineReader::ResetRejectChars() { RejectChars().Active = false; }

}  // namespace korrin
