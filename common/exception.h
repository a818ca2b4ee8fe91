#pragma once
// The message-carrying exception that every failure of the core is raised as; what() is the text
// shown to the user, worded exactly as the user should read it.
#include <stdexcept>
#include <string>

namespace korrin {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace korrin
