#include "app/FinderMatch.h"

namespace kestrine::app {

namespace {

constexpr char16_t kHiraganaFirst = 0x3041, kHiraganaLast = 0x3096;
// ゝ and ゞ, the hiragana iteration marks, have katakana twins at the same distance.
constexpr char16_t kIterationFirst = 0x309D, kIterationLast = 0x309E;
constexpr char16_t kKatakanaOffset = 0x60;

}  // namespace

QString FoldForSearch(const QString& text) {
  QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
  for (QChar& c : folded) {
    const char16_t u = c.unicode();
    if ((u >= kHiraganaFirst && u <= kHiraganaLast) ||
        (u >= kIterationFirst && u <= kIterationLast)) {
      c = QChar(static_cast<char16_t>(u + kKatakanaOffset));
    }
  }
  return folded;
}

QStringList SearchWords(const QString& query) {
  // NFKC turns the full-width blank into a plain one.
  const QString folded = FoldForSearch(query);
  QStringList words;
  qsizetype start = -1;
  for (qsizetype i = 0; i <= folded.size(); ++i) {
    const bool blank = i == folded.size() || folded.at(i).isSpace();
    if (blank && start >= 0) {
      words.append(folded.mid(start, i - start));
      start = -1;
    } else if (!blank && start < 0) {
      start = i;
    }
  }
  return words;
}

FinderKey MakeFinderKey(bool bookmark, const QString& text, const QString& book) {
  FinderKey key;
  key.bookmark = bookmark;
  key.text = FoldForSearch(text);
  if (!book.isEmpty()) {
    key.sheet = key.text;
    // A line break between the names: no word runs from the workbook's into the sheet's.
    key.text = FoldForSearch(book) + QLatin1Char('\n') + key.text;
  }
  return key;
}

std::vector<int> RankMatches(const std::vector<FinderKey>& keys, const QStringList& words) {
  std::vector<int> bookmarks, leading, rest;
  if (words.isEmpty()) return {};
  const QString& first = words.front();
  for (size_t i = 0; i < keys.size(); ++i) {
    const FinderKey& key = keys[i];
    bool all = true;
    for (const QString& word : words) {
      if (!key.text.contains(word)) {
        all = false;
        break;
      }
    }
    if (!all) continue;
    const int index = static_cast<int>(i);
    if (key.bookmark) {
      bookmarks.push_back(index);
    } else if (key.sheet.startsWith(first)) {
      leading.push_back(index);
    } else {
      rest.push_back(index);
    }
  }
  bookmarks.insert(bookmarks.end(), leading.begin(), leading.end());
  bookmarks.insert(bookmarks.end(), rest.begin(), rest.end());
  return bookmarks;
}

}  // namespace kestrine::app
