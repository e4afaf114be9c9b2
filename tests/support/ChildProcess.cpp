#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "support/TestHelpers.h"

extern char** environ;

namespace kestrine::test {

namespace {

std::string_view NameOf(std::string_view variable) {
  return variable.substr(0, variable.find('='));
}

std::vector<std::string> Environment(const std::vector<std::string>& changes) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) {
    bool changed = false;
    for (const auto& change : changes) changed |= NameOf(change) == NameOf(*variable);
    if (!changed) variables.emplace_back(*variable);
  }
  for (const auto& change : changes)
    if (change.find('=') != std::string::npos) variables.push_back(change);
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : ChildProcess(argv, Options{}) {}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Options& options) {
  if (argv.empty()) throw std::invalid_argument("no program to start");
  // Everything the child needs is made before the fork: after it, in a process with threads,
  // only async-signal-safe calls are allowed.
  std::vector<std::string> args(argv);
  std::vector<std::string> variables = Environment(options.environment);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(variables);
  const std::string log = options.log.empty() ? "/dev/null" : options.log.string();
  // The child reports a failed exec through this pipe; a successful one closes it.
  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe: " + std::string(strerror(errno)));
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    close(status[0]);
    close(status[1]);
    throw std::runtime_error("cannot start " + argv[0] + ": " + strerror(errno));
  }
  if (pid == 0) {
    // PR_SET_PDEATHSIG follows the thread that forked: tests start programs from the thread
    // that runs them, which lives as long as the test process.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    int report = status[1];
    if (options.passAs3 >= 0) {
      if (report == 3) report = fcntl(3, F_DUPFD_CLOEXEC, 4);
      if (options.passAs3 == 3) {
        fcntl(3, F_SETFD, 0);
      } else {
        dup2(options.passAs3, 3);
      }
    }
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (in >= 0) dup2(in, 0);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    execvpe(argp[0], argp.data(), envp.data());
    const int error = errno;
    (void)!write(report, &error, sizeof error);
    _exit(127);
  }
  close(status[1]);
  int error = 0;
  ssize_t got;
  do {
    got = read(status[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(status[0]);
  pid_ = pid;
  if (got == static_cast<ssize_t>(sizeof error)) {
    Stop();
    throw std::runtime_error("cannot start " + argv[0] + ": " + strerror(error));
  }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), status_(std::exchange(other.status_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
    status_ = std::exchange(other.status_, -1);
  }
  return *this;
}

bool ChildProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t reaped = waitpid(pid_, &status, WNOHANG);
  if (reaped == 0) return true;
  if (reaped == pid_) status_ = status;
  pid_ = -1;
  return false;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  return WaitUntil(
      timeout, [&] { return !Running(); }, std::chrono::milliseconds(10));
}

void ChildProcess::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  kill(pid_, SIGCONT);
  if (!WaitForExit(grace)) Kill();
}

void ChildProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  pid_t reaped;
  while ((reaped = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  if (reaped == pid_) status_ = status;
  pid_ = -1;
}

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

}  // namespace kestrine::test
