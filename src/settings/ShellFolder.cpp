#include "settings/ShellFolder.h"

#include <array>

#include "base/Exception.h"
#include "platform/Platform.h"

namespace {
// Kinds in the alphabetical order of the shell constants' names.
constexpr std::array<int, 30> kCsidl = {
    29,  // CSIDL_ALTSTARTUP
    26,  // CSIDL_APPDATA
    10,  // CSIDL_BITBUCKET
    30,  // CSIDL_COMMON_ALTSTARTUP
    25,  // CSIDL_COMMON_DESKTOPDIRECTORY
    31,  // CSIDL_COMMON_FAVORITES
    23,  // CSIDL_COMMON_PROGRAMS
    22,  // CSIDL_COMMON_STARTMENU
    24,  // CSIDL_COMMON_STARTUP
    3,   // CSIDL_CONTROLS
    33,  // CSIDL_COOKIES
    0,   // CSIDL_DESKTOP
    16,  // CSIDL_DESKTOPDIRECTORY
    17,  // CSIDL_DRIVES
    6,   // CSIDL_FAVORITES
    20,  // CSIDL_FONTS
    34,  // CSIDL_HISTORY
    1,   // CSIDL_INTERNET
    32,  // CSIDL_INTERNET_CACHE
    19,  // CSIDL_NETHOOD
    18,  // CSIDL_NETWORK
    5,   // CSIDL_PERSONAL
    4,   // CSIDL_PRINTERS
    27,  // CSIDL_PRINTHOOD
    2,   // CSIDL_PROGRAMS
    8,   // CSIDL_RECENT
    9,   // CSIDL_SENDTO
    11,  // CSIDL_STARTMENU
    7,   // CSIDL_STARTUP
    21,  // CSIDL_TEMPLATES
};

std::optional<UnicodeString>& AppDataOverride() {
  static std::optional<UnicodeString> path;
  return path;
}

}  // namespace

void TSpecialFolder::OverrideAppDataForTesting(std::optional<UnicodeString> path) {
  AppDataOverride() = std::move(path);
}

int TSpecialFolder::GetCsidl(int kind) {
  if (kind < 0 || kind >= static_cast<int>(kCsidl.size())) {
    throw Exception(u"指定されたコードが見つかりません。");
  }
  return kCsidl[static_cast<size_t>(kind)];
}

UnicodeString TSpecialFolder::GetPath(int kind) {
  const int csidl = GetCsidl(kind);
  if (kind == kAppData && AppDataOverride()) return *AppDataOverride();
  return kestrine::platform::GetSpecialFolderPath(csidl);
}
