#pragma once
// A private X display for one test process: Xvfb on a display it picks itself, and on request
// openbox and a tray host, each run with HOME in a temporary folder and stopped by its PID.
// POSIX only.
#include <optional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TestHelpers.h"

namespace kestrine::test {

class XDisplay {
 public:
  struct Options {
    bool windowManager = true;
    bool trayHost = true;  // needs the window manager
    std::string screen = "1024x768x24";
  };

  // Sets DISPLAY and HOME for this process and its children until it goes; throws
  // std::runtime_error, with what the programs printed, when it cannot be made.
  XDisplay();
  explicit XDisplay(const Options& options);
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // ":N".
  const std::string& Display() const { return display_; }
  // The display of this process, while it exists.
  static XDisplay* Current();
  // The tray host: trayer (XEmbed), or with KESTRINE_TEST_TRAY_HOST=statusnotifier a
  // StatusNotifier host on the session bus, which must then exist (dbus-run-session).
  static bool StatusNotifierHost();
  // The tray host alone goes away or comes (back), as on a desktop whose panel is restarted.
  void StopTrayHost();
  void StartTrayHost();
  // What the programs printed.
  std::string Logs() const;

 private:
  void Start();
  void StartOnce();
  void Stop();
  ChildProcess Spawn(const std::vector<std::string>& argv, int passAs3 = -1) const;

  Options options_;
  TempDir home_;
  std::optional<ScopedEnv> homeEnv_;
  std::optional<ScopedEnv> displayEnv_;
  std::string display_;
  std::vector<ChildProcess> programs_;  // stopped in reverse order, after the tray host
  ChildProcess trayHost_;
};

}  // namespace kestrine::test
