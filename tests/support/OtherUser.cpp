#include "OtherUser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kroma_test {
namespace {

constexpr uid_t kNobody = 65534;
constexpr const char* kSkip = "skip: ";

bool becomeNobody() {
  return ::geteuid() != 0 ||
         (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
}

}  // namespace

std::string asAnotherUser(const std::function<std::string()>& step) {
  int pipe[2];
  if (::pipe(pipe) != 0) return std::string(kSkip) + "no pipe";
  const pid_t child = ::fork();
  if (child < 0) return std::string(kSkip) + "no child process";
  if (child == 0) {
    ::close(pipe[0]);
    const std::string report =
        becomeNobody() ? step() : std::string(kSkip) + "no unprivileged user to be";
    (void)!::write(pipe[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  std::string report;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(pipe[0]);
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return "child failed: " + report;
  return report;
}

bool skipped(const std::string& report, std::string* why) {
  if (report.rfind(kSkip, 0) != 0) return false;
  if (why) *why = report.substr(std::string(kSkip).size());
  return true;
}

}  // namespace kroma_test
