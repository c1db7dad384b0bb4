#include "OtherUser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kroma_test {

std::string asAnotherUser(const std::function<std::string()>& step) {
  constexpr uid_t kNobody = 65534;
  int pipe[2];
  if (::pipe(pipe) != 0) return "skip: no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    const bool nobody = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                             ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
    const std::string report = nobody ? step() : "skip: no unprivileged user to be";
    (void)!::write(pipe[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  std::string report;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(pipe[0]);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return "child failed: " + report;
  return report;
}

}  // namespace kroma_test
