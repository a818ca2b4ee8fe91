#pragma once
// The message-carrying exception that every failure of the core is raised as; what() is the text
// shown to the user, worded exactly as the user should read it.
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace korrin {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The message of whatever a worker thread caught, to hand to the user: the text of a
// korrin::Exception or any other std::exception, and plain words where there is none.
inline std::string ExceptionMessage(const std::exception_ptr& Failure) {
  try {
    std::rethrow_exception(Failure);
  } catch (const std::bad_alloc&) {
    return "Out of memory.";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error.";
  }
}

}  // namespace korrin
