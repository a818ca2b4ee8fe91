#pragma once
// How korrin-cli ends on a failure that no subcommand handles itself: any exception ends the
// process with its message and the failure status, never with an abort, and running out of
// memory names the input that was being read.
#include <exception>
#include <string>
#include <vector>

#include "textio/text_input_reader.h"

namespace korrin::cli {

// Names the input a subcommand is about to read ("standard input" for "-"), for the message an
// allocation failure gives.
void ReadingInput(const std::string& fileName);

// The lines of a text input ("-": standard input), named first for that message.
template <typename TLines = std::vector<std::string>>
TLines ReadInputLines(const std::string& fileName) {
  ReadingInput(fileName);
  return ReadTextInputLines<TLines>(fileName);
}

// Flushes standard output and raises "Cannot write to standard output: REASON" when any of what
// was written to it did not arrive (a full disk, /dev/full, a closed pipe), so that a cut-short
// output never ends with the success status.
void FlushStandardOutput();

// Writes the message of `e` to standard error after what standard output holds so far; returns
// the failure status.
int ReportFailure(const std::exception& e);

}  // namespace korrin::cli
