#pragma once
// The failure of one DNS query; the batch counts it as not resolved, other callers show what().
#include "common/exception.h"

namespace korrin {

class EDnsError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace korrin
