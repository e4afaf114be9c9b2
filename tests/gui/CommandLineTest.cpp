// The command line: answers on the terminal, refusals, and Qt's own options let through.
#include <gtest/gtest.h>

#include <QStringList>

#include "QtTestSupport.h"
#include "app/CommandLine.h"

namespace kestrine::test {
namespace {

using kestrine::app::ParseCommandLine;

TEST(CommandLine, AnswersRefusesOrRuns) {
  struct Case {
    QStringList arguments;
    bool run;
    int exitCode;
    bool error;
    const char* text;  // the whole text, or for a usage text its first line
  };
  const char* refusedX =
      "kestrine: 不明なオプション「-x」です。\n使い方は「kestrine --help」で表示します。\n";
  const Case cases[] = {
      {{"/usr/bin/kestrine"}, true, 0, false, ""},
      {{"kestrine", "-platform", "offscreen"}, true, 0, false, ""},
      {{"kestrine", "-style=fusion", "-reverse", "--display", ":1"}, true, 0, false, ""},
      {{"/usr/bin/kestrine", "--version"}, false, 0, false, "Kestrine 9.8.7.6\n"},
      {{"kestrine", "-v"}, false, 0, false, "Kestrine 9.8.7.6\n"},
      {{"kestrine", "-platform", "xcb", "--version"}, false, 0, false, "Kestrine 9.8.7.6\n"},
      {{"/opt/k/kestrine", "--help"}, false, 0, false, "使い方: kestrine [オプション]"},
      {{"kestrine", "-h", "--bogus"},
       false,
       2,
       true,
       "kestrine: 不明なオプション「--bogus」です。\n使い方は「kestrine --help」で表示します。\n"},
      {{"kestrine", "-x"}, false, 2, true, refusedX},
      {{"kestrine", "--version=1"},
       false,
       2,
       true,
       "kestrine: オプション「--version」は値を取りません。\n使い方は「kestrine "
       "--help」で表示します。\n"},
      {{"kestrine", "-platform"},
       false,
       2,
       true,
       "kestrine: オプション「-platform」に値がありません。\n使い方は「kestrine "
       "--help」で表示します。\n"},
      {{"kestrine", "Budget.xlsx"},
       false,
       2,
       true,
       "kestrine: 引数「Budget.xlsx」は使えません。このプログラムは引数を取りません。\n"
       "使い方は「kestrine --help」で表示します。\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Q8(c.arguments.join(u' ')));
    const auto outcome = ParseCommandLine(c.arguments, QStringLiteral("9.8.7.6"), {});
    EXPECT_EQ(outcome.run, c.run);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_EQ(outcome.error, c.error);
    if (Q8(outcome.text).rfind("使い方: ", 0) == 0) {
      EXPECT_EQ(Q8(outcome.text.section(u'\n', 0, 0)), c.text);
    } else {
      EXPECT_EQ(Q8(outcome.text), c.text);
    }
  }
}

TEST(CommandLine, UsageListsTheOptionsAndNamesTheHelpOnlyWhenFound) {
  const auto with =
      ParseCommandLine({"kestrine", "--help"}, "1", "/usr/share/kestrine/help/index.html");
  EXPECT_TRUE(with.text.contains(QStringLiteral("-h, --help")));
  EXPECT_TRUE(with.text.contains(QStringLiteral("-v, --version")));
  EXPECT_FALSE(with.text.contains(QStringLiteral("platform"))) << "Qt's options stay hidden";
  EXPECT_TRUE(
      with.text.endsWith(QStringLiteral("\nヘルプ: /usr/share/kestrine/help/index.html\n")));
  const auto without = ParseCommandLine({"kestrine", "--help"}, "1", {});
  EXPECT_FALSE(without.text.contains(QStringLiteral("ヘルプ:")));
}

}  // namespace
}  // namespace kestrine::test
