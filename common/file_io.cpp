#include "common/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <tuple>
#include <utility>

#include "common/exception.h"
#include "common/file_descriptor.h"
#include "common/text.h"

namespace korrin {

namespace {

std::string SystemError() { return std::strerror(errno); }

void WriteAll(int fd, std::string_view data, const std::string& shown_name) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw Exception(Format("Cannot write file \"%s\". %s", shown_name.c_str(),
                             n < 0 ? SystemError().c_str() : "No space left on device"));
    data.remove_prefix(static_cast<size_t>(n));
  }
}

// Creates a new, empty temporary file beside `target` for writing; returns its descriptor and name.
std::pair<int, std::string> CreateTempFile(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    std::string temp = Format("%s.%ld.%u.tmp", target.c_str(), static_cast<long>(::getpid()), counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return {fd, std::move(temp)};
    if (errno == EEXIST && attempt < 100) continue;
    throw Exception(Format("Cannot create file \"%s\". %s", target.c_str(), SystemError().c_str()));
  }
}

// Gives a written temporary file its permissions (without `mode` the default ones under the umask)
// and flushes it to disk.
void FinishTempFile(TFileDescriptor& file, std::optional<mode_t> mode, const std::string& target) {
  if ((mode && ::fchmod(file.Fd(), *mode) != 0) || ::fsync(file.Fd()) != 0 || !file.Close())
    throw Exception(Format("Cannot write file \"%s\". %s", target.c_str(), SystemError().c_str()));
}

// Writes and flushes a new temporary file beside `target` with the default permissions; returns
// its name.
std::string WriteTempFile(const std::string& target, std::string_view data) {
  auto [fd, temp] = CreateTempFile(target);
  TFileDescriptor file(fd);
  try {
    WriteAll(file.Fd(), data, target);
    FinishTempFile(file, std::nullopt, target);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  return temp;
}

// The process number in the name of a temporary file WriteTempFile made for `target`
// ("<target>.<pid>.<n>.tmp"), or -1 when `name` is not one.
long TempFileOwner(std::string_view name, std::string_view target) {
  if (name.size() <= target.size() || name.substr(0, target.size()) != target || name[target.size()] != '.') return -1;
  name.remove_prefix(target.size() + 1);
  auto digits = [&name] {
    size_t n = 0;
    while (n < name.size() && n < 18 && name[n] >= '0' && name[n] <= '9') ++n;
    const std::string_view run = name.substr(0, n);
    name.remove_prefix(n);
    return run;
  };
  const std::string_view pid = digits();
  if (pid.empty() || name.empty() || name[0] != '.') return -1;
  name.remove_prefix(1);
  if (digits().empty() || name != ".tmp") return -1;
  return std::strtol(std::string(pid).c_str(), nullptr, 10);
}

// Removes what saves of `target` left when they were killed between writing the temporary file
// and renaming it. Files of running processes are saves in progress and stay, as does any
// other file, whatever its name.
void RemoveLeftoverTempFiles(const std::string& target) {
  const std::string folder = FolderOf(target);
  const size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const long owner = TempFileOwner(entry->d_name, base);
    if (owner <= 0 || owner == ::getpid()) continue;
    if (owner > INT_MAX || (::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH))
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

// Makes the rename itself durable; a failure here no longer endangers either version.
void SyncFolder(const std::string& path) {
  TFileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Fd() >= 0) ::fsync(folder.Fd());
}

// A symbolic link stays in place: the file it points to is replaced.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string out(resolved);
  std::free(resolved);
  return out;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ReadWholeFile(const std::string& FileName) {
  TFileDescriptor file(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (file.Fd() < 0 || ::fstat(file.Fd(), &st) != 0)
    throw Exception(Format("Cannot open file \"%s\". %s", FileName.c_str(), SystemError().c_str()));
  if (S_ISDIR(st.st_mode))
    throw Exception(Format("Cannot open file \"%s\". %s", FileName.c_str(), std::strerror(EISDIR)));
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.Fd(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Exception(Format("Cannot read file \"%s\". %s", FileName.c_str(), SystemError().c_str()));
    if (n == 0) return data;
    if (data.size() + static_cast<size_t>(n) > kMaxWholeFileSize)
      throw Exception(Format("File \"%s\" is too large (more than %s bytes)", FileName.c_str(),
                             FormatCount(kMaxWholeFileSize).c_str()));
    data.append(buffer, static_cast<size_t>(n));
  }
}

TReplacingFile::TReplacingFile(const std::string& FileName) : FName(FileName), FTarget(ResolveTarget(FileName)) {
  struct stat st {};
  if (::stat(FTarget.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      FFd = ::open(FTarget.c_str(), O_WRONLY | O_CLOEXEC);
      if (FFd < 0) throw Exception(Format("Cannot create file \"%s\". %s", FName.c_str(), SystemError().c_str()));
      return;
    }
    FMode = st.st_mode & 07777;
  }
  std::tie(FFd, FTemp) = CreateTempFile(FTarget);
}

TReplacingFile::~TReplacingFile() {
  if (FFd >= 0) ::close(FFd);
  if (!FTemp.empty()) ::unlink(FTemp.c_str());
}

void TReplacingFile::Write(std::string_view Data) { WriteAll(FFd, Data, FTemp.empty() ? FName : FTarget); }

void TReplacingFile::Commit() {
  TFileDescriptor file(std::exchange(FFd, -1));
  if (FTemp.empty()) {
    if (!file.Close()) throw Exception(Format("Cannot write file \"%s\". %s", FName.c_str(), SystemError().c_str()));
    return;
  }
  FinishTempFile(file, FMode, FTarget);
  if (::rename(FTemp.c_str(), FTarget.c_str()) != 0)
    throw Exception(Format("Cannot create file \"%s\". %s", FName.c_str(), SystemError().c_str()));
  FTemp.clear();
  RemoveLeftoverTempFiles(FTarget);
  SyncFolder(FTarget);
}

void WriteFileReplacing(const std::string& FileName, std::string_view Data) {
  TReplacingFile file(FileName);
  file.Write(Data);
  file.Commit();
}

bool WriteFileIfAbsent(const std::string& FileName, std::string_view Data) {
  if (::access(FileName.c_str(), F_OK) == 0) return false;
  const std::string temp = WriteTempFile(FileName, Data);
  // link() never replaces an existing name, so a file that appeared meanwhile is kept.
  const bool linked = ::link(temp.c_str(), FileName.c_str()) == 0;
  const int error = errno;
  ::unlink(temp.c_str());
  if (!linked && error != EEXIST)
    throw Exception(Format("Cannot create file \"%s\". %s", FileName.c_str(), std::strerror(error)));
  if (linked) SyncFolder(FileName);
  return linked;
}

}  // namespace korrin
