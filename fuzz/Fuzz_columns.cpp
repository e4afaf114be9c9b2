// Column letters against a slow reference that works on the letters as a string.
#include <cstdint>
#include <string>

#include "bookmarks/CsvUtility.h"
#include "platform/Platform.h"

namespace {

// Bijective base 26 by repeated string comparison: no arithmetic that could overflow.
int Reference(const UnicodeString& input) {
  const UnicodeString upper = kestrine::platform::UpperCase(input);
  if (upper.empty() || upper.size() > 3) return -1;
  for (const char16_t c : upper) {
    if (c < u'A' || c > u'Z') return -1;
  }
  for (int index = 0; index < 16384; ++index) {
    UnicodeString letters;
    for (int i = index; i >= 0; i = i / 26 - 1) letters.insert(letters.begin(), u'A' + i % 26);
    if (letters == upper) return index;
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UnicodeString text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  const int got = TCsvUtility::ColumnLettersToIndex(text);
  if (got != Reference(text)) __builtin_trap();
  if (got >= 0 && TCsvUtility::ColumnLettersToIndex(TCsvUtility::IndexToColumnLetters(got)) != got) {
    __builtin_trap();
  }
  return 0;
}
