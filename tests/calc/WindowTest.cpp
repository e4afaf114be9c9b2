// Bringing the document window to the front, on a private X server with a window manager
// and an office that shows its windows there.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Office.h"
#include "base/Exception.h"
#include "excel/Excel.h"

extern char** environ;

namespace kestrine::calc {
namespace {

using std::chrono::milliseconds;

pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& extraEnv,
            int keepFd = -1) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables(extraEnv);
  for (char** variable = environ; *variable; ++variable) variables.emplace_back(*variable);
  std::vector<char*> envp;
  for (auto& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, 3);
  pid_t pid = -1;
  const int error =
      posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Xvfb on a display it picks itself, with openbox managing its windows.
class Desktop {
 public:
  Desktop() {
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_ = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                  {}, fds[1]);
    close(fds[1]);
    char number[16] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (xvfb_ <= 0 || got <= 0) return;
    display_ = ":" + std::string(number, static_cast<size_t>(got));
    while (!display_.empty() && display_.back() == '\n') display_.pop_back();
    home_ = std::filesystem::path(KESTRINE_CALC_WORK_DIR) / "x11-home";
    std::filesystem::create_directories(home_);
    openbox_ = Spawn({"openbox"}, {"DISPLAY=" + display_, "HOME=" + home_.string()});
    std::this_thread::sleep_for(milliseconds(500));
  }
  ~Desktop() {
    Stop(openbox_);
    Stop(xvfb_);
  }
  const std::string& Display() const { return display_; }
  std::string ActiveWindowName() const {
    return Output("DISPLAY=" + display_ + " xdotool getactivewindow getwindowname 2>/dev/null");
  }

 private:
  pid_t xvfb_ = -1;
  pid_t openbox_ = -1;
  std::string display_;
  std::filesystem::path home_;
};

// The window manager carries out minimise and activation a little later.
template <class Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 50; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(milliseconds(100));
  }
  return condition();
}

TEST(CalcWindow, ActivateSheetRaisesTheMinimisedDocumentWindow) {
  Desktop desktop;
  ASSERT_FALSE(desktop.Display().empty()) << "Xvfb and openbox are needed";
  Office office("x11", Office::Accept::CommandLine, "", desktop.Display());
  office.OpenSamples();
  ASSERT_TRUE(
      Eventually([&] { return desktop.ActiveWindowName() == "Inventory.ods - LibreOffice Calc"; }));

  office.SetMinimized(u"Budget.xlsx", true);
  ASSERT_TRUE(Eventually([&] { return office.IsMinimized(u"Budget.xlsx"); }));
  std::unique_ptr<TExcel> excel = TExcel::Connect();
  ASSERT_TRUE(excel);

  // A failure before the last step leaves the window where it was.
  EXPECT_THROW(excel->ActivateSheet(u"Budget.xlsx", u"Gone", 1, 1), Exception);
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_TRUE(office.IsMinimized(u"Budget.xlsx"));

  excel->ActivateSheet(u"Budget.xlsx", u"January", 2, 3);
  EXPECT_TRUE(Eventually([&] { return !office.IsMinimized(u"Budget.xlsx"); }));
  EXPECT_TRUE(Eventually([&] {
    return desktop.ActiveWindowName() == "Budget.xlsx - LibreOffice Calc";
  })) << desktop.ActiveWindowName();
  EXPECT_EQ(ToUtf8(office.ActiveSheetName(u"Budget.xlsx")), "January");
  EXPECT_EQ(office.SelectedCell(u"Budget.xlsx"), std::make_pair(2, 3));

  // Another document's window comes up over it.
  excel->ActivateSheet(u"予定表.xlsx", u"4月", -1, -1);
  EXPECT_TRUE(Eventually([&] {
    return desktop.ActiveWindowName() == "予定表.xlsx - LibreOffice Calc";
  })) << desktop.ActiveWindowName();
}

}  // namespace
}  // namespace kestrine::calc
