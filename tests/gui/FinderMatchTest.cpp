// The finder's matching: folding of width, case and kana, several words, and the ranking.
#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "app/FinderMatch.h"

namespace kestrine::test {
namespace {

using kestrine::app::FinderKey;

struct Name {
  const char* book;  // empty for a bookmark
  const char* text;  // the sheet name or the bookmark's display text
};

// In the order the finder lists them, except the bookmark, which stands last here so that the
// ranking has to move it.
const Name kNames[] = {
    {"売上.xlsx", "シート1"}, {"Report.xlsx", "ABC集計"}, {"Report.xlsx", "ウリアゲ"},
    {"ｶﾀｶﾅ.xlsx", "Sheet2"},  {"B.xlsx", "月次集計"},     {"B.xlsx", "集計表"},
    {"B.xlsx", "まとめ abc"}, {"Ｃ.xlsx", "データ"},      {"Ｃ.xlsx", "ゞ"},
    {"", "売上メモ"},
};

std::vector<std::string> Find(const char* query) {
  std::vector<FinderKey> keys;
  for (const Name& name : kNames) {
    const QString book = QString::fromUtf8(name.book);
    keys.push_back(
        kestrine::app::MakeFinderKey(book.isEmpty(), QString::fromUtf8(name.text), book));
  }
  std::vector<std::string> found;
  for (const int i :
       kestrine::app::RankMatches(keys, kestrine::app::SearchWords(QString::fromUtf8(query)))) {
    found.push_back(kNames[i].text);
  }
  return found;
}

TEST(FinderMatchTest, FoldsWidthCaseAndKanaAndRanks) {
  struct Case {
    const char* query;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // half-width katakana, full-width latin, hiragana, case
      {"ｼｰﾄ", {"シート1"}},
      {"ﾃﾞｰﾀ", {"データ"}},
      {"ＡＢＣ", {"ABC集計", "まとめ abc"}},
      {"うりあげ", {"ウリアゲ"}},
      {"ヾ", {"ゞ"}},
      {"かたかな", {"Sheet2"}},
      {"SHEET", {"Sheet2"}},
      {"c.XLSX", {"データ", "ゞ"}},
      // sheet names that start with the first word come before the rest
      {"集計", {"集計表", "ABC集計", "月次集計"}},
      // several words, each anywhere, separated by either blank
      {"report うりあげ", {"ウリアゲ"}},
      {"集計　b.xlsx", {"集計表", "月次集計"}},
      {"b.xlsx 月次 集計", {"月次集計"}},
      {"report zzz", {}},
      // no word runs from the workbook's name into the sheet's
      {"xlsxシート", {}},
      // bookmarks first, wherever they stand
      {"売上", {"売上メモ", "シート1"}},
      // nothing typed, or only blanks: no rows
      {"", {}},
      {" 　 ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(Find(c.query), c.expected);
  }
}

}  // namespace
}  // namespace kestrine::test
