#pragma once
// A private X display for one test process: Xvfb on a free display, openbox, and a tray
// host, each run with HOME in a temporary folder and stopped by its PID.
#include <sys/types.h>
#include <string>
#include <vector>

#include "support/TestHelpers.h"

namespace kestrine::test {

class XDisplay {
 public:
  XDisplay();  // sets DISPLAY for this process and its children
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  const std::string& Display() const { return display_; }
  // The session of this process, while it exists.
  static XDisplay* Current();
  // The tray host: trayer (XEmbed), or with KESTRINE_TEST_TRAY_HOST=statusnotifier a
  // StatusNotifier host on the session bus, which must then exist (dbus-run-session).
  static bool StatusNotifierHost();
  // The tray host alone goes away or comes (back), as on a desktop whose panel is restarted.
  void StopTrayHost();
  void StartTrayHost();
  // What the three programs printed.
  std::string Logs() const;

 private:
  void Start();
  void StartOnce();
  void Stop();
  pid_t Spawn(const std::vector<std::string>& argv);

  TempDir home_;
  std::string display_;
  std::vector<pid_t> pids_;  // stopped in reverse order
  pid_t trayHost_ = 0;
};

// Runs a command with the session's DISPLAY and returns what it printed.
std::string RunCommand(const std::string& command);

}  // namespace kestrine::test
