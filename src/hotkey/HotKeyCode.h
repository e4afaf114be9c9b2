#pragma once
#include <vector>

#include "base/UnicodeString.h"

// One of the 76 selectable hotkey combinations. Only the index is stored in the settings,
// so the table's order is part of the file format.
class THotKeyCode {
 public:
  static constexpr unsigned int kCount = 76;

  THotKeyCode(bool ctrl, bool shift, bool alt, UnicodeString key);

  bool Ctrl, Shift, Alt;
  UnicodeString Key;

  // An index of kCount or more gives no modifiers and an empty key.
  static THotKeyCode FromIndex(unsigned int index);
  // Windows virtual-key code of Key ("A".."Z", "F1".."F12"), else 0.
  int GetVirtualKeyCode() const;
  static std::vector<UnicodeString> GetNames();
};
