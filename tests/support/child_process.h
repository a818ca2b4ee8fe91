#pragma once
// Runs part of a test in a child process, for what would end or change the whole process: a
// signal that kills, a lowered limit of open files. The child talks to the parent over pipes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace korrin::test {

// Runs `child` in a child process and `parent` beside it, each with its ends of a pipe to the
// other; returns what `child` returned, sent up after the parent was done, and expects the
// child to end normally.
inline std::string RunInChild(const std::function<std::string(int toParent, int fromParent)>& child,
                              const std::function<void(int fromChild, int toChild)>& parent = {}) {
  int up[2], down[2];
  if (pipe(up) != 0 || pipe(down) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(up[0]);
    close(down[1]);
    alarm(60);  // a child that hangs fails the test instead of holding it up
    const std::string text = child(up[1], down[0]);
    (void)!write(up[1], text.data(), text.size());
    _exit(0);  // the parent's threads are not here to be joined
  }
  close(up[1]);
  close(down[0]);
  if (parent) parent(up[0], down[1]);
  close(down[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(up[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(up[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child ended with status " << status;
  return text;
}

}  // namespace korrin::test
