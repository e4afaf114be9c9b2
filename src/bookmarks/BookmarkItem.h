#pragma once
#include <memory>
#include <vector>

#include "base/UnicodeString.h"

class TCustomIniFile;

// One bookmarked cell. Immutable; column and row are 0-based.
class TBookmarkItem {
 public:
  TBookmarkItem(UnicodeString name, UnicodeString bookName, UnicodeString sheetName, int column,
                int row);

  const UnicodeString Name, BookName, SheetName;
  const int Column, Row;

  UnicodeString GetDisplayText() const;
  void SaveToIni(TCustomIniFile* ini, const UnicodeString& section,
                 const UnicodeString& key) const;
  // Null when the stored text does not make an item; never throws for a bad value.
  static std::unique_ptr<TBookmarkItem> LoadFromIni(TCustomIniFile* ini,
                                                    const UnicodeString& section,
                                                    const UnicodeString& key);

  // The stored text: five fields joined as a comma text, quoted where needed.
  static UnicodeString JoinCommaText(const std::vector<UnicodeString>& fields);
  static std::vector<UnicodeString> SplitCommaText(std::u16string_view text);
};
