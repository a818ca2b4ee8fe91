#pragma once
// An open file descriptor closed when it goes, so that no error path between open and close can
// leak one.
#include <unistd.h>

namespace korrin {

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : FFd(fd) {}
  ~TFileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Fd() const { return FFd; }
  // Closing can report a write error that the writes did not, so the caller checks it.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int FFd;
};

}  // namespace korrin
