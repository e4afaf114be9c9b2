// scripts/libreoffice-listen.sh against a profile of the test's own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Office.h"
#include "excel/Excel.h"
#include "excel/uno/UnoBackend.h"

namespace kestrine::calc {
namespace {

namespace fs = std::filesystem;

int RunScript(const std::string& arguments) {
  const std::string command =
      std::string("bash '") + KESTRINE_LISTEN_SCRIPT + "' " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(CalcListenScript, WritesTheSettingIntoAProfileNeverUsed) {
  const fs::path profile = fs::path(KESTRINE_CALC_WORK_DIR) / "profile-never-used";
  fs::remove_all(profile);
  ASSERT_EQ(RunScript("--profile '" + profile.string() + "' --pipe p1"), 0);
  const std::string written = Read((profile / "user/registrymodifications.xcu").string());
  EXPECT_EQ(Occurrences(written, "<value>pipe,name=p1;urp;StarOffice.ComponentContext</value>"),
            1u);
  EXPECT_EQ(Occurrences(written, "</oor:items>"), 1u);
  fs::remove_all(profile);
}

TEST(CalcListenScript, MakesAPlainlyStartedOfficeListenAndIsUndone) {
  // A profile kept between runs: the first start of a fresh one takes a while.
  const std::string profile = Office::ProfileFor("listen");
  const std::string file = profile + "/user/registrymodifications.xcu";
  const std::string pipe = "kestrine-test-listen-" + std::to_string(getpid());
  const std::string setting =
      "<value>pipe,name=" + pipe + ";urp;StarOffice.ComponentContext</value>";
  const std::string options = "--profile '" + profile + "' --pipe " + pipe;
  if (fs::exists(file)) {
    ASSERT_EQ(RunScript("--off " + options), 0);
  }

  ASSERT_EQ(RunScript(options), 0);
  EXPECT_EQ(Occurrences(Read(file), setting), 1u);
  {
    Office office("listen", Office::Accept::ProfileSetting, pipe);
    EXPECT_TRUE(TExcel::Connect());

    // Not while that office runs (it writes the file itself, too).
    EXPECT_EQ(RunScript("--off " + options), 1);
    EXPECT_EQ(Occurrences(Read(file), setting), 1u);
    ASSERT_TRUE(office.Terminate());
  }

  // The office has written its own file back; the setting survived it.
  const std::string written = Read(file);
  ASSERT_EQ(Occurrences(written, setting), 1u);
  ASSERT_EQ(Occurrences(written, "ooSetupInstCompleted"), 1u);

  ASSERT_EQ(RunScript("--off " + options), 0);
  const std::string off = Read(file);
  EXPECT_EQ(Occurrences(off, "ooSetupConnectionURL"), 0u);
  EXPECT_EQ(Occurrences(off, "<item "), Occurrences(written, "<item ") - 1);

  ASSERT_EQ(RunScript(options), 0);
  ASSERT_EQ(RunScript(options), 0);
  EXPECT_EQ(Occurrences(Read(file), setting), 1u);
  EXPECT_EQ(Occurrences(Read(file), "<item "), Occurrences(written, "<item "));

  EXPECT_EQ(RunScript("--pipe 'bad name' --profile '" + profile + "'"), 2);
}

}  // namespace
}  // namespace kestrine::calc
