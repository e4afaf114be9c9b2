#include "support/XDisplay.h"

#include <poll.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kestrine::test {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

XDisplay* current = nullptr;

const char* const kPrograms[] = {"Xvfb", "openbox", "trayer", "gtk-sni-tray-standalone"};

// Xvfb writes the number of the display it took, then a newline.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 15000) > 0) {
    char c;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  return number;
}

}  // namespace

ChildProcess XDisplay::Spawn(const std::vector<std::string>& argv, int passAs3) const {
  // Output goes to a log that a failed start shows.
  ChildProcess::Options options;
  options.log = home_.Path() / (argv[0] + ".log");
  options.passAs3 = passAs3;
  return ChildProcess(argv, options);
}

std::string XDisplay::Logs() const {
  std::string all;
  for (const char* name : kPrograms) {
    std::ifstream in(home_.Path() / (std::string(name) + ".log"));
    if (!in) continue;
    std::stringstream text;
    text << in.rdbuf();
    all += std::string("--- ") + name + "\n" + text.str();
  }
  return all;
}

XDisplay* XDisplay::Current() {
  return current;
}

XDisplay::XDisplay() : XDisplay(Options{}) {}

XDisplay::XDisplay(const Options& options) : options_(options) {
  homeEnv_.emplace("HOME", home_.Path().string());
  try {
    Start();
  } catch (...) {
    Stop();
    throw;
  }
  current = this;
}

XDisplay::~XDisplay() {
  if (current == this) current = nullptr;
  Stop();
}

bool XDisplay::StatusNotifierHost() {
  const auto host = GetEnv("KESTRINE_TEST_TRAY_HOST");
  return host && *host == "statusnotifier";
}

void XDisplay::StopTrayHost() {
  trayHost_.Stop();
}

void XDisplay::StartTrayHost() {
  if (trayHost_.Pid() > 0) return;
  if (!StatusNotifierHost()) {
    trayHost_ = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                       "--height", "24", "--SetDockType", "true"});
    return;
  }
  SetEnv("NO_AT_BRIDGE", "1");  // GTK would start an accessibility bus of its own
  trayHost_ = Spawn({"gtk-sni-tray-standalone", "--watcher", "--top", "--end"});
  // Qt chooses between the D-Bus tray and XEmbed once, when it first asks: the host must be
  // registered before that.
  const bool registered = WaitUntil(seconds(15), [] {
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
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  try {
    programs_.push_back(Spawn(
        {"Xvfb", "-displayfd", "3", "-screen", "0", options_.screen, "-nolisten", "tcp"}, fds[1]));
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    throw;
  }
  close(fds[1]);
  const std::string number = ReadDisplayNumber(fds[0]);
  close(fds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb gave no display\n" + Logs());
  display_ = ":" + number;
  displayEnv_.emplace("DISPLAY", display_);
  if (!options_.windowManager) return;

  programs_.push_back(Spawn({"openbox"}));
  ChildProcess& openbox = programs_.back();
  // Openbox names its theme on the root window late in its start-up, after it has taken
  // over window management; a window mapped before that may wait unmanaged.
  const auto themed = [] {
    return RunCommand("xprop -root _OB_THEME").find(" = ") != std::string::npos;
  };
  WaitUntil(seconds(15), [&] { return themed() || !openbox.Running(); });
  if (!themed()) throw std::runtime_error("openbox did not start\n" + Logs());
  std::this_thread::sleep_for(milliseconds(200));
  if (options_.trayHost) StartTrayHost();
}

void XDisplay::Stop() {
  trayHost_.Stop();
  while (!programs_.empty()) programs_.pop_back();
  displayEnv_.reset();
}

}  // namespace kestrine::test
