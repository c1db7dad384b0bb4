#include "JackServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace midi_test {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(120);
// What a server or a probe of it takes on a loaded machine, far above.
constexpr auto kAnswerLimit = std::chrono::seconds(60);
constexpr auto kStopLimit = std::chrono::seconds(5);
// The keeper gives jackd 20 s to stop on SIGINT before it kills it.
constexpr auto kKeeperLimit = std::chrono::seconds(30);
// JACK's registry of servers: a header, then eight rows of a pid and a name ("jack-UID:NAME:").
constexpr const char* kRegistry = "/dev/shm/jack-shm-registry";
constexpr size_t kRegistryRows = 8, kRegistryHeader = 24, kHeaderLengthAt = 16;
// The flag of a listening socket in /proc/net/unix.
constexpr unsigned long kListening = 0x10000;

// A turn is held for one start or stop, itself bounded; a holder that hangs
// (stopped in a debugger, say) must not hang every other test with it.
constexpr auto kTurnLimit = std::chrono::seconds(120);

// JACK servers that start or stop at the same moment trip over each other's
// shared memory, so parallel tests take turns with a lock file. Without a
// turn in time, the start goes ahead and is retried if it fails.
class ServerTurn {
 public:
  ServerTurn() : mFd(open("/tmp/kroma-jackd.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    if (mFd < 0) return;
    const auto end = std::chrono::steady_clock::now() + kTurnLimit;
    while (flock(mFd, LOCK_EX | LOCK_NB) != 0 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~ServerTurn() {
    if (mFd >= 0) close(mFd);
  }
  ServerTurn(const ServerTurn&) = delete;
  ServerTurn& operator=(const ServerTurn&) = delete;

 private:
  int mFd;
};

// Starts a program with its output in `logPath`, passing it the descriptors `kept`; -1 on
// failure. It is told to end with the thread that started it, so that a test that dies leaves no
// client behind.
pid_t spawnChild(const std::vector<std::string>& args, const std::string& logPath,
                 const std::vector<int>& kept = {}) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log < 0) return -1;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    dup2(log, 1);
    dup2(log, 2);
    for (int fd : kept) fcntl(fd, F_SETFD, 0);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(log);
  return pid;
}

// What waitExit reports for a process that has not ended in time: it is
// still ours to end. Any other result means it is reaped and its pid is free.
constexpr int kStillRunning = -2;

// Waits at most `limit` for the process to end; its exit status, -1 when it
// was ended by a signal (or is not our child), or kStillRunning.
int waitExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() > end) return kStillRunning;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The first line that `fd` gives within `limit`, or "".
std::string readLine(int fd, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  std::string line;
  pollfd ready{fd, POLLIN, 0};
  char c;
  while (std::chrono::steady_clock::now() < end && poll(&ready, 1, 100) >= 0) {
    if (!(ready.revents & (POLLIN | POLLHUP))) continue;
    if (read(fd, &c, 1) != 1 || c == '\n') return line;
    line += c;
  }
  return "";
}

// Why jackd ended at start-up, from its log.
std::string startFailure(const std::string& log) {
  if (log.find("Too many servers already active") == std::string::npos)
    return "jackd ended at start-up:\n" + log;
  std::string rows;
  for (const JackServer::Registered& row : JackServer::registeredServers())
    rows += " " + row.name + " (pid " + std::to_string(row.pid) +
            (::kill(row.pid, 0) == 0 ? ")" : ", gone)");
  return "JACK's registry of servers is full (jackd: \"Too many servers already active\"); its "
         "rows:" +
         rows + ". A server that was killed keeps its row until one of its name starts.";
}

}  // namespace

// A pooled name is held for the whole life of its server by an exclusive lock on a file of the
// machine's, which the system lets go however the holder ends. Test runs of every build tree take
// the same locks, so no two runs ever hold one name: a server under a held name is the holder's.
int JackServer::holdPoolName(int slot) {
  const std::string path = "/tmp/kroma-jack-name-" + std::to_string(slot) + ".lock";
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::string JackServer::poolName(int slot) {
  return "kroma-jack-" + std::to_string(slot);
}

namespace {

// The socket inodes that process `pid` holds.
std::set<std::string> socketsOf(pid_t pid) {
  std::set<std::string> inodes;
  std::error_code ec;
  const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
    if (target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
  }
  return inodes;
}

}  // namespace

// Clients find a server by the sockets it listens on, named after the server: every such socket
// must be the process's.
bool JackServer::servedBy(const std::string& name, pid_t pid) {
  const std::set<std::string> held = socketsOf(pid);
  const std::string prefix = "jack_" + name + "_";
  std::ifstream table("/proc/net/unix");
  std::string line;
  std::getline(table, line);  // the heading
  int listening = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, refs, protocol, flags, type, state, inode, path;
    if (!(fields >> slot >> refs >> protocol >> flags >> type >> state >> inode >> path)) continue;
    const std::string file = std::filesystem::path(path).filename().string();
    if (file.rfind(prefix, 0) != 0 || (std::stoul(flags, nullptr, 16) & kListening) == 0) continue;
    if (!held.count(inode)) return false;
    ++listening;
  }
  return listening > 0;
}

JackServer::JackServer() {
  // Nothing in the test may start a server of its own.
  mNoStartEnv = std::make_unique<kroma_test::ScopedEnv>("JACK_NO_START_SERVER", "1");
  // Other runs may hold every name for a while.
  const auto end = std::chrono::steady_clock::now() + kStartLimit;
  mError = "every JACK server name of the pool is held by other test runs";
  for (;;) {
    for (int slot = 0; slot < kNamePool; ++slot)
      if (tryName(slot)) return;
    if (std::chrono::steady_clock::now() >= end) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

bool JackServer::tryName(int slot) {
  const int hold = holdPoolName(slot);
  if (hold < 0) return false;
  mName = poolName(slot);
  mServerEnv.reset();
  mServerEnv = std::make_unique<kroma_test::ScopedEnv>("JACK_DEFAULT_SERVER", mName.c_str());
  mNameHold = hold;
  if (start()) return true;
  releaseName();
  return false;
}

void JackServer::releaseName() {
  if (mNameHold >= 0) close(mNameHold);
  mNameHold = -1;
}

bool JackServer::start() {
  ServerTurn turn;
  mError.clear();
  // A server of this name started outside the pool's locks would answer for ours.
  if (answers()) {
    mError = "a JACK server named " + mName + " that no test run holds is running";
    return false;
  }
  removeLeftovers();
  const std::string log = mDir.file("jackd.log");
  int life[2] = {-1, -1}, report[2] = {-1, -1};
  if (pipe2(life, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
    for (int fd : {life[0], life[1], report[0], report[1]})
      if (fd >= 0) close(fd);
    mError = "no pipe for the JACK server's keeper";
    return false;
  }
  std::vector<std::string> args{KROMA_JACK_KEEPER, std::to_string(life[0]),
                                std::to_string(report[1]), std::to_string(mNameHold), mName};
  // jackd takes its name from -n; JACK_DEFAULT_SERVER names it to the clients.
  // Synchronous mode (-S): the server waits for clients that sanitizers slow
  // down instead of breaking the graph when they miss a cycle.
  const std::string rate = std::to_string(kSampleRate), period = std::to_string(kPeriod);
  args.insert(args.end(), {"jackd", "-n", mName, "-S", "--no-realtime", "-d", "dummy", "-r", rate,
                           "-p", period});
  const pid_t keeper = spawnChild(args, log, {life[0], report[1], mNameHold});
  close(life[0]);
  close(report[1]);
  mLife = life[1];
  mReport = report[0];
  // The keeper's first process ends at once, leaving the keeper outside our process tree.
  const int started = keeper < 0 ? -1 : waitExit(keeper, kAnswerLimit);
  if (started == kStillRunning) kill(keeper, SIGKILL);
  if (started != 0) {
    closePipes();
    mError = "the JACK server's keeper could not be started:\n" + readFile(log);
    return false;
  }
  mPid = std::atoi(readLine(mReport, kAnswerLimit).c_str());
  if (mPid <= 0) {
    mPid = -1;
    closePipes();
    mError = "jackd could not be started:\n" + readFile(log);
    return false;
  }
  const auto end = std::chrono::steady_clock::now() + kAnswerLimit;
  while (!answers() || !servedBy(mName, mPid)) {
    if (keeperEnded(std::chrono::milliseconds(0))) {
      mPid = -1;
      closePipes();
      mError = startFailure(readFile(log));
      return false;
    }
    if (std::chrono::steady_clock::now() > end) {
      terminate();
      mError = "jackd " + mName + " did not answer as the server of its name in time";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

JackServer::~JackServer() {
  stop();
  releaseName();
}

void JackServer::stop() {
  if (mPid <= 0) return;
  ServerTurn turn;
  terminate();
}

bool JackServer::startAgain() {
  return running() || start();
}

// Letting go of the pipe tells the keeper to stop the server; it ends once the server has.
void JackServer::terminate() {
  if (mLife >= 0) close(mLife);
  mLife = -1;
  if (!keeperEnded(kKeeperLimit)) {
    ::kill(mPid, SIGKILL);  // the last resort
    keeperEnded(kStopLimit);
  }
  closePipes();
  mPid = -1;
  removeLeftovers();
}

bool JackServer::keeperEnded(std::chrono::milliseconds limit) {
  if (mReport < 0) return true;
  pollfd ended{mReport, POLLIN, 0};
  char c;
  return poll(&ended, 1, (int)limit.count()) > 0 && read(mReport, &c, 1) <= 0;
}

void JackServer::closePipes() {
  for (int* fd : {&mLife, &mReport}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

// Semaphores of clients that were killed outlive the server, and everything of a run that was
// killed outlives it; under a held name that no server answers for, they are nobody's.
void JackServer::removeLeftovers() const {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
    if (entry.path().filename().string().find("_" + mName + "_") != std::string::npos)
      std::filesystem::remove(entry.path(), ec);
}

pid_t JackServer::startClient(const std::vector<std::string>& args) {
  return spawnChild(args, mDir.file("client.log"));
}

bool JackServer::kill(pid_t pid, int signal) {
  if (pid <= 0) return false;
  ::kill(pid, signal);
  // A process that the signal ended is reaped already; its pid may be another's now.
  if (waitExit(pid, kStopLimit) != kStillRunning) return true;
  ::kill(pid, SIGKILL);
  waitExit(pid, kStopLimit);
  return false;
}

std::vector<JackServer::Registered> JackServer::registeredServers() {
  std::vector<Registered> rows;
  const std::string registry = readFile(kRegistry);
  if (registry.size() < kRegistryHeader) return rows;
  int32_t headerLength = 0;
  std::memcpy(&headerLength, registry.data() + kHeaderLengthAt, sizeof headerLength);
  if (headerLength <= (int32_t)kRegistryHeader || registry.size() < (size_t)headerLength)
    return rows;
  const size_t rowLength = ((size_t)headerLength - kRegistryHeader) / kRegistryRows;
  for (size_t i = 0; i < kRegistryRows; ++i) {
    const char* row = registry.data() + kRegistryHeader + i * rowLength;
    int32_t pid = 0;
    std::memcpy(&pid, row, sizeof pid);
    const std::string prefix(row + sizeof pid, strnlen(row + sizeof pid, rowLength - sizeof pid));
    const size_t from = prefix.find(':'), to = prefix.rfind(':');
    if (pid != 0 && from != to) rows.push_back({prefix.substr(from + 1, to - from - 1), pid});
  }
  return rows;
}

bool JackServer::answers() const {
  const pid_t lsp = spawnChild({"jack_lsp"}, mDir.file("jack_lsp.log"));
  if (lsp <= 0) return false;
  const int status = waitExit(lsp, kAnswerLimit);
  if (status == kStillRunning) kill(lsp);  // a hung probe is not left behind
  return status == 0;
}

}  // namespace midi_test
