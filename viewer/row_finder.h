#pragma once
// Finds a plain text in the rows of a whole text file on a worker thread, so that the window stays
// responsive over files of many GB: one pass gives the next match after a row, the previous one
// before it (both wrapping around) and the number of matching rows; or, for the next and previous
// match keys, only the nearest match in one direction, read only as far as it lies.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "textio/cached_file_stream.h"
#include "textio/encoding_sniffer.h"
#include "viewer/row_index.h"
#include "viewer/row_scanner.h"

namespace korrin {

struct TFindRequest {
  std::u16string Text;
  bool MatchCase = false;
  bool Records = true;   // rows are records (the table) or physical lines (the text)
  int64_t FirstRow = 0;  // rows before it (a header) are not searched
  int64_t From = 0;      // the row the search starts after (forward) or before (backward)
  // Only the nearest match after From (or before it, Backward), wrapping at the file's end; no count.
  bool Nearest = false;
  bool Backward = false;
  // Where rows far from the start begin, so that a nearest search need not read the rows before
  // them; null reads from the start. It must outlive the search.
  const TRowIndex* Index = nullptr;
};

struct TFindResult {
  int64_t Next = -1;      // the first matching row after From, else the first of all; -1: none
  int64_t Previous = -1;  // the last matching row before From, else the last of all
  int64_t Count = 0;      // matching rows; not counted by a nearest search
  bool Wrapped = false;   // a nearest search went past the file's end (or start) to find it
};

class TRowFinder {
 public:
  TRowFinder(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options);
  // Searches the file an index opened (TRowIndex::File), so that a match names a row of the file
  // the index counted, whatever its name shows now.
  TRowFinder(std::shared_ptr<const TOpenedFile> File, const TSniffedEncoding& Encoding, const TRowOptions& Options);
  ~TRowFinder();
  TRowFinder(const TRowFinder&) = delete;
  TRowFinder& operator=(const TRowFinder&) = delete;

  // Searches on the calling thread; false when stopped.
  bool Find(const TFindRequest& Request, TFindResult& Result);
  // Searches on a worker; Done() tells when Result() holds the outcome.
  void Start(const TFindRequest& Request);
  void Stop();
  bool Running() const { return FWorker.joinable() && !FDone; }
  bool Done() const { return FDone; }
  bool Stopped() const { return FStopped; }
  const TFindResult& Result() const { return FResult; }
  // Why a search on the worker ended early: the file could not be read.
  const std::string& Error() const { return FError; }
  int64_t Position() const { return FPosition; }

 private:
  class TMatches;
  // The rows of one pass: from row Begin (through the index where it can) to row End (-1: the
  // file's end), stopping at the first match when FirstOnly.
  struct TSpan {
    int64_t Begin = 0;
    int64_t End = -1;
    bool FirstOnly = false;
  };
  bool FindNearest(const TFindRequest& Request, TFindResult& Result);
  bool Search(const TFindRequest& Request, const TSpan& Span, TMatches& Matches);
  bool FindDecoded(const TFindRequest& Request, const TSpan& Span, int64_t Offset, int64_t Row, TMatches& Matches);
  // Where rows are lines of single-byte or UTF-8 text: a search of the raw bytes (the needle folded
  // already where case does not matter).
  bool FindBytes(const std::string& Needle, const TFindRequest& Request, const TSpan& Span, int64_t Offset, int64_t Row,
                 TMatches& Matches);

  const std::shared_ptr<const TOpenedFile> FFile;
  const TSniffedEncoding FEncoding;
  const TRowOptions FOptions;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FDone{false};
  std::atomic<bool> FStopped{false};
  std::atomic<int64_t> FPosition{0};
  TFindResult FResult;  // written by the worker before FDone
  std::string FError;   // the same
  std::thread FWorker;
};

}  // namespace korrin
