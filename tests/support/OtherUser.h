#pragma once

#include <functional>
#include <string>

namespace kroma_test {

// Runs `step` in a child process as a user without privileges (uid and gid 65534 when the test
// runs as root, who reads everything) and returns what it reported. A report starting "skip: "
// says why the step could not be tried; the step may report so itself.
std::string asAnotherUser(const std::function<std::string()>& step);

}  // namespace kroma_test
