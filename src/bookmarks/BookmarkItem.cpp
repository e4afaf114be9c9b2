#include "bookmarks/BookmarkItem.h"

#include "bookmarks/CsvUtility.h"
#include "settings/MemIniFile.h"

namespace {

bool IsBlank(char16_t c) { return c >= 1 && c <= 32; }

bool NeedsQuotes(const UnicodeString& field) {
  for (const char16_t c : field) {
    if (c == u'"' || c == u',' || IsBlank(c)) return true;
  }
  return false;
}

}  // namespace

TBookmarkItem::TBookmarkItem(UnicodeString name, UnicodeString bookName, UnicodeString sheetName,
                             int column, int row)
    : Name(std::move(name)),
      BookName(std::move(bookName)),
      SheetName(std::move(sheetName)),
      Column(column),
      Row(row) {}

UnicodeString TBookmarkItem::GetDisplayText() const {
  if (!Name.empty()) return Name;
  return BookName + u"!" + SheetName + u"[" + TCsvUtility::IndexToColumnLetters(Column) + u":" +
         kestrine::IntToStr(static_cast<long long>(Row) + 1) + u"]";
}

UnicodeString TBookmarkItem::JoinCommaText(const std::vector<UnicodeString>& fields) {
  UnicodeString text;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += u',';
    const UnicodeString& field = fields[i];
    if (!NeedsQuotes(field)) {
      text += field;
      continue;
    }
    text += u'"';
    for (const char16_t c : field) {
      if (c == u'"') text += u'"';
      text += c;
    }
    text += u'"';
  }
  return text;
}

std::vector<UnicodeString> TBookmarkItem::SplitCommaText(std::u16string_view text) {
  std::vector<UnicodeString> fields;
  size_t i = 0;
  const size_t n = text.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    UnicodeString field;
    if (text[i] == u'"') {
      // A missing closing mark takes the whole rest of the text; nothing is dropped.
      ++i;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            field += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
    } else {
      const size_t start = i;
      while (i < n && text[i] != u',' && !IsBlank(text[i])) ++i;
      field.assign(text.substr(start, i - start));
    }
    fields.push_back(std::move(field));
    skipBlanks();
    if (i < n && text[i] == u',') {
      if (i == n - 1) fields.emplace_back();
      ++i;
      skipBlanks();
    }
  }
  return fields;
}

void TBookmarkItem::SaveToIni(TCustomIniFile* ini, const UnicodeString& section,
                              const UnicodeString& key) const {
  ini->WriteString(section, key,
                   JoinCommaText({Name, BookName, SheetName, kestrine::IntToStr(Column),
                                  kestrine::IntToStr(Row)}));
}

std::unique_ptr<TBookmarkItem> TBookmarkItem::LoadFromIni(TCustomIniFile* ini,
                                                          const UnicodeString& section,
                                                          const UnicodeString& key) {
  const std::vector<UnicodeString> fields = SplitCommaText(ini->ReadString(section, key, u""));
  if (fields.size() < 5) return nullptr;
  int column = 0, row = 0;
  if (!kestrine::TryStrToInt(fields[3], column) || !kestrine::TryStrToInt(fields[4], row)) {
    return nullptr;
  }
  return std::make_unique<TBookmarkItem>(fields[0], fields[1], fields[2], column, row);
}
