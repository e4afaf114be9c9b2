#pragma once
// Matching for the sheet finder: what a Japanese user types finds a name whatever its width,
// case or kana script.
#include <QString>
#include <QStringList>
#include <vector>

namespace kestrine::app {

// NFKC, then case folding, then hiragana as katakana: "ｼｰﾄ", "しーと" and "シート" all fold to
// the same text, as do "ＡＢＣ" and "abc".
QString FoldForSearch(const QString& text);

// The folded words of a query; blanks of either width separate them.
QStringList SearchWords(const QString& query);

// One candidate row, its texts folded once when the rows are built.
struct FinderKey {
  bool bookmark = false;
  QString text;   // everything a word may be found in
  QString sheet;  // the sheet name alone, for the ranking by the first word
};

// The key of a sheet row (`book` its workbook's name) or of a bookmark row (`book` empty).
FinderKey MakeFinderKey(bool bookmark, const QString& text, const QString& book);

// Indices of the keys that contain every word: bookmarks first, then the rows whose sheet name
// starts with the first word, then the rest, each group in the keys' order. No words: none.
std::vector<int> RankMatches(const std::vector<FinderKey>& keys, const QStringList& words);

}  // namespace kestrine::app
