#pragma once
#include "base/UnicodeString.h"

// Column letters A..XFD <-> 0-based column index 0..16383.
class TCsvUtility {
 public:
  // -1 when the letters name no column.
  static int ColumnLettersToIndex(const UnicodeString& letters);
  // Empty for an index outside 0..16383.
  static UnicodeString IndexToColumnLetters(int index);
};
