#pragma once
// The failures of the byte streams: EStreamError for what the operating system refused (its
// message ends with the system's description), EAssertionFailed for a misuse of a stream.
#include "common/exception.h"

namespace korrin {

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace korrin
