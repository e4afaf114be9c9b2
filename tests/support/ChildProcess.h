#pragma once
// A program that a test starts: stopped by its PID when its owner goes, and dying with the
// test process even when a time-out kills that one outright. POSIX only.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrine::test {

class ChildProcess {
 public:
  struct Options {
    // "NAME=value" sets a variable, a bare "NAME" removes it; the rest is this process's.
    std::vector<std::string> environment;
    // Standard output and error are appended here; without a log they are discarded.
    std::filesystem::path log;
    // A descriptor of ours that the program gets as its descriptor 3 (Xvfb's -displayfd).
    int passAs3 = -1;
  };

  ChildProcess() = default;
  // Looks the program up in PATH; throws std::runtime_error when it cannot be started.
  explicit ChildProcess(const std::vector<std::string>& argv);
  ChildProcess(const std::vector<std::string>& argv, const Options& options);
  ~ChildProcess() { Stop(); }
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The PID while the program is ours to stop, otherwise -1.
  pid_t Pid() const { return pid_; }
  // How it ended, as waitpid tells (WIFEXITED...), once it has been reaped; -1 before.
  int ExitStatus() const { return status_; }
  // Whether it still runs; one that has ended is reaped.
  bool Running();
  // Waits for it to end by itself; true once it has.
  bool WaitForExit(std::chrono::milliseconds timeout);
  void Signal(int signal) const;
  // SIGTERM (and SIGCONT, should it be stopped), SIGKILL after `grace`; always reaped.
  void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));
  // SIGKILL at once, also to a stopped program; reaped.
  void Kill();

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// Runs a shell command and returns what it printed on its standard output.
std::string RunCommand(const std::string& command);

}  // namespace kestrine::test
