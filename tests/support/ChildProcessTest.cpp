// The launcher of the tests' helper programs: nothing it starts may outlive the test.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>

#include "support/ChildProcess.h"
#include "support/TestHelpers.h"

namespace kestrine::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

bool Alive(pid_t pid) {
  return kill(pid, 0) == 0;
}

TEST(ChildProcessTest, AProgramThatCannotStartIsAnErrorThatNamesIt) {
  try {
    ChildProcess missing({"kestrine-no-such-program"});
    FAIL() << "started";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("kestrine-no-such-program"), std::string::npos)
        << e.what();
  }
}

TEST(ChildProcessTest, EnvironmentLogAndDescriptorThreeReachTheProgram) {
  TempDir dir;
  const auto log = dir.Path() / "out.log";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  SetEnv("KESTRINE_TEST_GONE", "x");
  ChildProcess::Options options;
  options.environment = {"KESTRINE_TEST_SET=here", "KESTRINE_TEST_GONE"};
  options.log = log;
  options.passAs3 = fds[1];
  ChildProcess shell(
      {"sh", "-c", "echo \"$KESTRINE_TEST_SET/${KESTRINE_TEST_GONE-unset}\"; echo three >&3"},
      options);
  close(fds[1]);
  SetEnv("KESTRINE_TEST_GONE", std::nullopt);
  char buffer[16] = {};
  EXPECT_GT(read(fds[0], buffer, sizeof buffer - 1), 0);
  close(fds[0]);
  EXPECT_EQ(std::string(buffer), "three\n");
  ASSERT_TRUE(shell.WaitForExit(seconds(10)));
  EXPECT_EQ(ReadBytes(log), "here/unset\n");
}

TEST(ChildProcessTest, StopEndsAProgramThatIgnoresTermOrIsStopped) {
  TempDir dir;
  ChildProcess::Options options;
  options.log = dir.Path() / "ready";
  ChildProcess stubborn({"sh", "-c", "trap '' TERM; echo ready; while :; do sleep 0.05; done"},
                        options);
  ChildProcess frozen({"sleep", "100"});
  const pid_t stubbornPid = stubborn.Pid(), frozenPid = frozen.Pid();
  frozen.Signal(SIGSTOP);
  ASSERT_TRUE(WaitUntil(seconds(5), [&] { return !ReadBytes(options.log).empty(); }));
  const auto start = std::chrono::steady_clock::now();
  stubborn.Stop(milliseconds(300));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(300));
  frozen.Stop();
  EXPECT_EQ(stubborn.Pid(), -1);
  EXPECT_FALSE(Alive(stubbornPid));
  EXPECT_FALSE(Alive(frozenPid));
}

TEST(ChildProcessTest, ProgramsDieWithATestProcessThatIsKilled) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t test = fork();
  ASSERT_GE(test, 0);
  if (test == 0) {
    close(fds[0]);
    ChildProcess sleeper({"sleep", "100"});
    const pid_t pid = sleeper.Pid();
    (void)!write(fds[1], &pid, sizeof pid);
    pause();
    _exit(0);
  }
  close(fds[1]);
  pid_t sleeper = -1;
  ASSERT_EQ(read(fds[0], &sleeper, sizeof sleeper), static_cast<ssize_t>(sizeof sleeper));
  close(fds[0]);
  ASSERT_TRUE(Alive(sleeper));
  kill(test, SIGKILL);
  waitpid(test, nullptr, 0);
  // Its parent gone, the sleeper is reparented and reaped by whoever adopts it.
  EXPECT_TRUE(WaitUntil(seconds(5), [&] {
    std::ifstream stat("/proc/" + std::to_string(sleeper) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    return text.empty() || text.find(") Z ") != std::string::npos;
  }));
}

}  // namespace
}  // namespace kestrine::test
