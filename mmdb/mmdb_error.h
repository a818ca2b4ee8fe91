#pragma once
// The MaxMind DB reader's failure. what() is the message to show; Kind() says what went wrong, so
// that a caller tells a file it cannot open from a damaged one without reading the text.
#include <string>

#include "common/exception.h"

namespace korrin {

enum class TMMDBErrorKind {
  CannotOpen,         // the file cannot be opened or read
  NotADatabase,       // no metadata marker
  CorruptSearchTree,  // the tree's size, record size or a node is impossible
  BadData,            // the data or metadata section holds something the format does not allow
};

class EMMDBError : public Exception {
 public:
  EMMDBError(TMMDBErrorKind kind, const std::string& message) : Exception(message), FKind(kind) {}
  TMMDBErrorKind Kind() const { return FKind; }

 private:
  TMMDBErrorKind FKind;
};

}  // namespace korrin
