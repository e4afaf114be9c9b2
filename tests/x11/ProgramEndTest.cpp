// The real program ended by the system (SIGTERM, as at log-out or shut-down) writes its file
// as its close button does, also with a warning box open or while it waits in the tray.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <string>

#include "support/ChildProcess.h"
#include "support/TestHelpers.h"

namespace kestrine::test {
namespace {

using std::chrono::seconds;

bool WindowShown(const std::string& title) {
  return !RunCommand("xdotool search --onlyvisible --name '^" + title + "$'").empty();
}

TEST(ProgramEndTest, TerminationWritesTheFileAsClosingDoes) {
  struct Case {
    const char* name;
    bool inTray;
  };
  for (const Case& c : {Case{"window shown", false}, Case{"hidden in the tray", true}}) {
    SCOPED_TRACE(c.name);
    TempDir config;
    const auto ini = config.Path() / "Quorvane" / "Kestrine" / "Kestrine.ini";
    std::filesystem::create_directories(ini.parent_path());
    // A file written by hand: only a full save writes the other keys.
    WriteBytes(ini, std::string("[STARTUP]\nInTaskTray=") + (c.inTray ? "1" : "0") + "\n");
    ChildProcess::Options options;
    options.environment = {"XDG_CONFIG_HOME=" + config.Path().string(), "QT_QPA_PLATFORM=xcb"};
    options.log = config.Path() / "kestrine.log";
    ChildProcess program({KESTRINE_PROGRAM}, options);
    ASSERT_TRUE(WaitUntil(seconds(20), [] { return WindowShown("Kestrine"); }))
        << ReadBytes(options.log);
    // Without a spreadsheet the first idle pass opens its warning box, unless an office of
    // this machine answers on the usual pipe.
    WaitUntil(seconds(3), [] { return WindowShown("警告"); });
    if (c.inTray) {
      // The box answered first: minimising waits for it otherwise.
      RunCommand("xdotool key Return");
      ASSERT_TRUE(WaitUntil(seconds(5), [] { return !WindowShown("警告"); }));
      RunCommand("xdotool search --onlyvisible --name '^Kestrine$' windowminimize");
      ASSERT_TRUE(WaitUntil(seconds(5), [] { return !WindowShown("Kestrine"); }));
    }

    program.Signal(SIGTERM);
    ASSERT_TRUE(program.WaitForExit(seconds(10)));
    EXPECT_TRUE(WIFEXITED(program.ExitStatus()) && WEXITSTATUS(program.ExitStatus()) == 0)
        << "status " << program.ExitStatus();
    const std::string written = ReadBytes(ini);
    EXPECT_NE(written.find("[SYSTEM]"), std::string::npos) << written;
    EXPECT_NE(written.find("ShowStayOnTop=0"), std::string::npos) << written;
    EXPECT_NE(written.find(std::string("InTaskTray=") + (c.inTray ? "1" : "0")), std::string::npos)
        << written;
  }
}

}  // namespace
}  // namespace kestrine::test
