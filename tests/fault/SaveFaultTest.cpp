#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "base/Exception.h"
#include "settings/Config.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;
namespace fs = std::filesystem;

namespace {

struct SaveFault : ::testing::Test {
  ScopedConfigHome home;
  UnicodeString name = TConfig::GetFileName();
  fs::path path = PathOf(name);
  fs::path folder = path.parent_path();
  TConfig config;
  std::string old;

  void SetUp() override {
    for (int i = 0; i < 50; ++i) Add(config, u"old " + kestrine::IntToStr(i));
    config.Save(name);
    old = ReadBytes(path);
    config.ClearBookmarks();
    for (int i = 0; i < 60; ++i) Add(config, u"new " + kestrine::IntToStr(i));
  }
  void TearDown() override {
    chmod(folder.c_str(), 0755);  // let the temporary folder go
  }
  static void Add(TConfig& c, const UnicodeString& n) {
    c.Bookmarks.push_back(std::make_unique<TBookmarkItem>(n, u"売上.xlsx", u"一月", 2, 3));
  }
  // The save failed: the message says so, memory holds the new list, the disk the old file.
  void ExpectFailedSave(const char* why) {
    SCOPED_TRACE(why);
    try {
      config.Save(name);
      ADD_FAILURE() << "saved";
    } catch (const Exception& e) {
      const UnicodeString prefix = u"ファイル \"" + name + u"\" を作成できません。";
      EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
      EXPECT_GT(e.Message().size(), prefix.size());
    }
    EXPECT_EQ(config.Bookmarks.size(), 60u);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "a temporary file was left";
  }
};

}  // namespace

TEST_F(SaveFault, ReadOnlyFile) {
  ASSERT_NE(geteuid(), 0u);
  chmod(path.c_str(), 0444);
  ExpectFailedSave("read-only file");
  chmod(path.c_str(), 0644);
  config.Save(name);  // and the program goes on
  EXPECT_NE(ReadBytes(path), old);
}

TEST_F(SaveFault, ReadOnlyFolder) {
  chmod(folder.c_str(), 0555);
  ExpectFailedSave("read-only folder");
}

TEST_F(SaveFault, DiskFull) {
  // A file-size limit makes every write past it fail, as a full disk does.
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 512;
  setrlimit(RLIMIT_FSIZE, &small);
  try {
    config.Save(name);
    ADD_FAILURE() << "saved";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"を作成できません。"), UnicodeString::npos);
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(config.Bookmarks.size(), 60u);
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "a temporary file was left";
}

TEST_F(SaveFault, FileThatIsADirectory) {
  fs::remove(path);
  fs::create_directory(path);
  EXPECT_THROW(config.Save(name), Exception);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(config.Bookmarks.size(), 60u);
}

TEST_F(SaveFault, FolderThatCannotBeCreated) {
  fs::remove_all(home.Path() / "Quorvane");
  chmod(home.Path().c_str(), 0555);
  WarningRecorder warnings;
  config.Save(name);
  chmod(home.Path().c_str(), 0755);
  ASSERT_EQ(warnings.texts.size(), 1u);
  EXPECT_EQ(warnings.texts[0], u"設定ファイルを保存するためのフォルダの作成に失敗しました。");
  EXPECT_FALSE(fs::exists(home.Path() / "Quorvane"));
  EXPECT_EQ(config.Bookmarks.size(), 60u);
}

// A process killed at any moment of a save leaves the complete old file or the complete new
// one, never a mixture or a truncated file.
TEST_F(SaveFault, KilledWhileSaving) {
  config.Save(name);
  const std::string fresh = ReadBytes(path);
  ASSERT_NE(fresh, old);
  WriteBytes(path, old);

  // How long one save takes, so the kills spread over it.
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) config.Save(name);
  const auto perSave = (std::chrono::steady_clock::now() - t0) / 20;
  WriteBytes(path, old);

  std::mt19937 rng(12345);
  int sawOld = 0, sawNew = 0;
  constexpr int kKills = 400;
  for (int k = 0; k < kKills; ++k) {
    WriteBytes(path, old);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Tell the parent the saving starts now, then save for ever: the first save replaces
      // the old file, every later one rewrites the new.
      close(ready[0]);
      if (write(ready[1], "x", 1) != 1) _exit(1);
      for (;;) config.Save(name);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    // Half the kills spread over the first save and the two after it; the other half over
    // 50 ms, since a forked child's first save can be much slower than the ones measured.
    const auto span = k % 2 ? std::chrono::duration_cast<std::chrono::microseconds>(perSave) * 3
                            : std::chrono::microseconds(50000);
    const auto delay = span * std::uniform_int_distribution<int>(0, 1000)(rng) / 1000;
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::string after = ReadBytes(path);
    ASSERT_TRUE(after == old || after == fresh)
        << "kill " << k << " after " << delay.count() << " us left " << after.size() << " bytes";
    (after == old ? sawOld : sawNew)++;
    // Temporary files of killed saves are the only leftovers; clear them for the next round.
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path() != path) fs::remove(entry.path());
    }
  }
  std::printf("kills: %d, old file afterwards: %d, new file afterwards: %d, one save: %lld us\n",
              kKills, sawOld, sawNew,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(perSave).count()));
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}
