#pragma once
#include <optional>

#include "base/UnicodeString.h"

// Folder kinds 0..29 mapped to the shell's folder constants; the program uses kind 1.
class TSpecialFolder {
 public:
  static constexpr int kAppData = 1;
  static UnicodeString GetPath(int kind);
  // The shell folder constant of a kind; throws for a kind outside 0..29.
  static int GetCsidl(int kind);
  // Tests point the roaming folder at a temporary one so that no real settings are touched.
  static void OverrideAppDataForTesting(std::optional<UnicodeString> path);
};
