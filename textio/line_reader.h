#pragma once
// The one interface through which the viewer reads any source as text lines: a byte stream
// decoded by TStreamReaderEx (stream mode) or an in-memory list (list mode). A descendant presents
// another source by building a list in its own (Filename, BufferSize) constructor; the viewer picks
// the class at run time through a TLineReaderClass.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "textio/stream.h"
#include "textio/text_stream_reader.h"

namespace korrin {

using TStringList = std::vector<std::u16string>;

class TLineReader {
 public:
  static constexpr int32_t kDefaultBufferSize = 1024;

  // Stream mode over Stream, which the reader owns; tolerant UTF-8 unless a byte-order mark says
  // otherwise.
  TLineReader(std::unique_ptr<TStream> Stream, int32_t BufferSize);
  // Stream mode over the file, opened read-only.
  TLineReader(const std::string& Filename, int32_t BufferSize);
  // List mode over Lines, which the reader keeps.
  explicit TLineReader(TStringList Lines);
  virtual ~TLineReader();
  TLineReader(const TLineReader&) = delete;
  TLineReader& operator=(const TLineReader&) = delete;

  void Close();
  std::u16string ReadLine();
  // The next line into LineBuffer (NUL-terminated, grown only when too short); returns its length.
  int64_t ReadLineBuffer(std::u16string& LineBuffer);
  void GotoNextLine();
  void GotoBegin();

  bool EndOfLines();
  int32_t LineIndex() const { return FLineIndex; }
  int64_t StreamSize();
  int64_t StreamPosition();
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  bool ThreadSafe() const { return FThreadSafe; }
  void SetThreadSafe(bool Value) { FThreadSafe = Value; }

  // Process-wide: from now on every reader drops the characters AllowedChars does not name
  // (items "x" or "first-last"; a backslash escapes, "\n", "\r", "\t" name the control characters).
  // Meant to be set before readers are used, like the rest of the class-wide state.
  static void SetRejectChars(const std::u16string& AllowedChars);
  static void ResetRejectChars();

 protected:
  // For list-mode descendants that fill the list while they are constructed.
  TStringList& Lines() { return *FLines; }

 private:
  void StartStreamMode(int32_t BufferSize);
  std::u16string ReadLineUnlocked();
  int64_t ReadLineBufferUnlocked(std::u16string& LineBuffer);

  std::unique_ptr<TStream> FStream;
  std::optional<TStringList> FLines;  // set in list mode only
  std::unique_ptr<TStreamReaderEx> FStreamReader;
  int32_t FLineIndex = 0;
  void* FData = nullptr;
  bool FThreadSafe = false;
  std::mutex FCS;
};

// Stands for a class reference to TLineReader or a descendant: its three virtual constructors.
class TLineReaderClass {
 public:
  virtual ~TLineReaderClass() = default;
  virtual std::unique_ptr<TLineReader> Create(std::unique_ptr<TStream> Stream, int32_t BufferSize) const = 0;
  virtual std::unique_ptr<TLineReader> Create(const std::string& Filename, int32_t BufferSize) const = 0;
  virtual std::unique_ptr<TLineReader> Create(TStringList Lines) const = 0;
};

// The class reference of T, which provides the three constructors (inheriting them with
// `using TLineReader::TLineReader;` and declaring its own where it presents another source).
template <class T>
class TLineReaderClassOf final : public TLineReaderClass {
 public:
  std::unique_ptr<TLineReader> Create(std::unique_ptr<TStream> Stream, int32_t BufferSize) const override {
    return std::make_unique<T>(std::move(Stream), BufferSize);
  }
  std::unique_ptr<TLineReader> Create(const std::string& Filename, int32_t BufferSize) const override {
    return std::make_unique<T>(Filename, BufferSize);
  }
  std::unique_ptr<TLineReader> Create(TStringList Lines) const override {
    return std::make_unique<T>(std::move(Lines));
  }

  // The one instance, so that callers can compare class references by address.
  static const TLineReaderClassOf& Instance() {
    static const TLineReaderClassOf instance;
    return instance;
  }
};

}  // namespace korrin
