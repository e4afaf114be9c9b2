// The global hotkey needs a real X server: this program starts its own, on a display number
// the server picks itself, and stops it by its process id.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class XServer {
 public:
  XServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a crashed test
      const int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ > 0) display_ = ReadDisplay(fds[0]);
    close(fds[0]);
  }

  ~XServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // ":N", or empty when the server did not come up.
  const std::string& Display() const { return display_; }

 private:
  static std::string ReadDisplay(int fd) {
    std::string number;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fd, &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    return number.empty() ? std::string() : ":" + number;
  }

  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  const XServer server;
  if (server.Display().empty()) {
    std::fprintf(stderr, "Xvfb did not start\n");
    return 1;
  }
  setenv("DISPLAY", server.Display().c_str(), 1);
  qputenv("QT_QPA_PLATFORM", "xcb");
  int result = 1;
  {
    QApplication application(argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
