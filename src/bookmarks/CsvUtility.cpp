#include "bookmarks/CsvUtility.h"

#include "platform/Platform.h"

namespace {
constexpr int kColumnCount = 16384;
}

int TCsvUtility::ColumnLettersToIndex(const UnicodeString& letters) {
  const UnicodeString upper = kestrine::platform::UpperCase(letters);
  long long number = 0;
  for (const char16_t c : upper) {
    if (c < u'A' || c > u'Z') return -1;
    number = number * 26 + (c - u'A' + 1);
    // Past the last column nothing can come back into range; stop before overflow.
    if (number > kColumnCount) number = kColumnCount + 1;
  }
  const long long index = number - 1;
  return index >= kColumnCount ? -1 : static_cast<int>(index);
}

UnicodeString TCsvUtility::IndexToColumnLetters(int index) {
  if (index < 0 || index >= kColumnCount) return {};
  UnicodeString letters;
  for (int i = index; i >= 0; i = i / 26 - 1) letters.insert(letters.begin(), u'A' + i % 26);
  return letters;
}
