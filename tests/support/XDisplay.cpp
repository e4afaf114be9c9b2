#include "support/XDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kestrine::test {

namespace {

bool WaitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

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

pid_t XDisplay::Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const std::string log = (home_.Path() / (argv[0] + ".log")).string();
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("cannot start " + argv[0]);
  if (pid == 0) {
    // Dies with the test process, even when a time-out kills that one outright.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    // Output goes to a log that a failed start shows. Descriptors without close-on-exec, the
    // display pipe of Xvfb among them, are inherited.
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
      close(out);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  pids_.push_back(pid);
  return pid;
}

std::string XDisplay::Logs() const {
  std::string all;
  for (const char* name : {"Xvfb", "openbox", "trayer", "gtk-sni-tray-standalone"}) {
    std::ifstream in(home_.Path() / (std::string(name) + ".log"));
    std::stringstream text;
    text << in.rdbuf();
    all += std::string("--- ") + name + "\n" + text.str();
  }
  return all;
}

namespace {
XDisplay* current = nullptr;
}  // namespace

XDisplay* XDisplay::Current() {
  return current;
}

XDisplay::XDisplay() {
  try {
    Start();
  } catch (...) {
    Stop();
    throw;
  }
  current = this;
}

void XDisplay::StopTrayHost() {
  if (trayHost_ <= 0) return;
  kill(trayHost_, SIGTERM);
  waitpid(trayHost_, nullptr, 0);
  std::erase(pids_, trayHost_);
  trayHost_ = 0;
}

bool XDisplay::StatusNotifierHost() {
  const char* host = std::getenv("KESTRINE_TEST_TRAY_HOST");
  return host && std::string(host) == "statusnotifier";
}

void XDisplay::StartTrayHost() {
  if (trayHost_ > 0) return;
  if (!StatusNotifierHost()) {
    trayHost_ = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                       "--height", "24", "--SetDockType", "true"});
    return;
  }
  setenv("NO_AT_BRIDGE", "1", 1);  // GTK would start an accessibility bus of its own
  trayHost_ = Spawn({"gtk-sni-tray-standalone", "--watcher", "--top", "--end"});
  // Qt chooses between the D-Bus tray and XEmbed once, when it first asks: the host must be
  // registered before that.
  const bool registered = WaitUntil([] {
    return RunCommand(
               "dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher "
               "/StatusNotifierWatcher org.freedesktop.DBus.Properties.Get "
               "string:org.kde.StatusNotifierWatcher string:IsStatusNotifierHostRegistered")
               .find("boolean true") != std::string::npos;
  });
  if (!registered) throw std::runtime_error("no StatusNotifier host registered\n" + Logs());
}

void XDisplay::Start() {
  // A display that another server still holds makes Xvfb give up after naming it; the next
  // try picks another display.
  for (int attempt = 1;; ++attempt) {
    try {
      StartOnce();
      return;
    } catch (const std::runtime_error&) {
      Stop();
      if (attempt == 3) throw;
    }
  }
}

void XDisplay::StartOnce() {
  setenv("HOME", home_.Path().c_str(), 1);
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten",
         "tcp"});
  close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 15000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb gave no display\n" + Logs());
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);

  const pid_t openbox = Spawn({"openbox"});
  // Openbox names its theme on the root window late in its start-up, after it has taken
  // over window management; a window mapped before that may wait unmanaged.
  const bool started = WaitUntil([&] {
    return RunCommand("xprop -root _OB_THEME").find(" = ") != std::string::npos ||
           waitpid(openbox, nullptr, WNOHANG) == openbox;
  });
  if (!started || RunCommand("xprop -root _OB_THEME").find(" = ") == std::string::npos) {
    throw std::runtime_error("openbox did not start\n" + Logs());
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  StartTrayHost();
}

void XDisplay::Stop() {
  for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) kill(*it, SIGTERM);
  for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
  pids_.clear();
  trayHost_ = 0;
}

XDisplay::~XDisplay() {
  current = nullptr;
  Stop();
}

}  // namespace kestrine::test
