// Any stored text reads without harm; any five fields without U+0000 round-trip exactly.
#include <cstdint>
#include <vector>

#include "bookmarks/BookmarkItem.h"
#include "settings/MemIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UnicodeString text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);

  TMemIniFile ini(u"");
  ini.WriteString(u"BOOKMARK", u"Item0", text);
  (void)TBookmarkItem::LoadFromIni(&ini, u"BOOKMARK", u"Item0");

  // The same input, cut at U+0000, as five fields and two numbers.
  std::vector<UnicodeString> fields(3);
  size_t f = 0;
  for (const char16_t c : text) {
    if (c == 0) {
      if (++f == 3) break;
    } else {
      fields[f] += c;
    }
  }
  const int column = size >= 4 ? static_cast<int>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24) : 0;
  const int row = size >= 8 ? static_cast<int>(data[4] | data[5] << 8 | data[6] << 16 | static_cast<uint32_t>(data[7]) << 24) : 0;
  const TBookmarkItem item(fields[0], fields[1], fields[2], column, row);
  item.SaveToIni(&ini, u"BOOKMARK", u"Item1");
  const auto back = TBookmarkItem::LoadFromIni(&ini, u"BOOKMARK", u"Item1");
  if (!back || back->Name != item.Name || back->BookName != item.BookName ||
      back->SheetName != item.SheetName || back->Column != column || back->Row != row) {
    __builtin_trap();
  }
  return 0;
}
