#pragma once

#include <functional>
#include <string>

namespace kroma_test {

// Runs `step` in a child process as a user without privileges (uid and gid 65534 when the test
// runs as root, who reads everything; the test's own user otherwise) and returns what it
// reported. The report is "skip: WHY" when no such user can be had, or when `step` says so that
// way; the step's changes stay in the child.
std::string asAnotherUser(const std::function<std::string()>& step);

// Whether a report of asAnotherUser says to skip, and why.
bool skipped(const std::string& report, std::string* why);

}  // namespace kroma_test
