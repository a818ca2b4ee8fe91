#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace korrin::test {

namespace {

// Starts korrin-cli on new pipes (standard output into `stdoutPath` when given); `in`, `out` and
// `err` receive the parent's ends.
pid_t Spawn(const std::vector<std::string>& args, const std::string& stdoutPath, int in[2], int out[2], int err[2]) {
  if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    if (stdoutPath.empty()) dup2(out[1], 1);
    else dup2(open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    std::vector<char*> argv{const_cast<char*>(KORRIN_CLI)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KORRIN_CLI, argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  return pid;
}

}  // namespace

ProcessResult RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& stdoutPath,
                     const OutputWatch& watch) {
  int in[2], out[2], err[2];
  const pid_t pid = Spawn(args, stdoutPath, in, out, err);
  ProcessResult r;
  size_t written = 0;
  if (input.empty()) close(in[1]);
  bool inOpen = !input.empty(), outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inOpen ? in[1] : -1, POLLOUT, 0}};
    poll(fds, 3, -1);
    char buf[65536];
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
      else (i == 0 ? outOpen : errOpen) = false;
      if (n > 0 && watch) watch(pid, r);
    }
    if (inOpen && (fds[2].revents & (POLLOUT | POLLERR))) {
      const ssize_t n = write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n <= 0 || written == input.size()) {
        close(in[1]);
        inOpen = false;
      }
    }
  }
  if (inOpen) close(in[1]);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

ProcessResult RunCliWords(const std::string& arguments, const std::string& input) {
  std::vector<std::string> args;
  for (size_t start = 0, end; start < arguments.size(); start = end + 1) {
    end = std::min(arguments.find(' ', start), arguments.size());
    if (end > start) args.push_back(arguments.substr(start, end - start));
  }
  return RunCli(args, input);
}

CliSession::CliSession(const std::vector<std::string>& args) {
  int in[2], out[2], err[2];
  FPid = Spawn(args, "", in, out, err);
  FIn = in[1];
  FOut = out[0];
  FErr = err[0];
}

CliSession::~CliSession() {
  if (FPid > 0) Finish();
}

void CliSession::Write(const std::string& text) {
  for (size_t written = 0; written < text.size();) {
    const ssize_t n = write(FIn, text.data() + written, text.size() - written);
    if (n <= 0) throw std::runtime_error("write");
    written += static_cast<size_t>(n);
  }
}

std::string CliSession::ReadLine(int timeoutMs) {
  for (;;) {
    if (const size_t end = FPending.find('\n'); end != std::string::npos) {
      std::string line = FPending.substr(0, end);
      FPending.erase(0, end + 1);
      return line;
    }
    pollfd fd{FOut, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) return "<timeout>";
    char buf[4096];
    const ssize_t n = read(FOut, buf, sizeof buf);
    if (n <= 0) return "<timeout>";
    FPending.append(buf, static_cast<size_t>(n));
  }
}

ProcessResult CliSession::Finish() {
  ProcessResult r;
  close(FIn);
  r.out = FPending;
  char buf[65536];
  for (int fd : {FOut, FErr}) {
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
      (fd == FOut ? r.out : r.err).append(buf, static_cast<size_t>(n));
    close(fd);
  }
  int status = 0;
  waitpid(FPid, &status, 0);
  FPid = -1;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

}  // namespace korrin::test
