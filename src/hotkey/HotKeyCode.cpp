#include "hotkey/HotKeyCode.h"

namespace {

UnicodeString Letter(unsigned int position) { return UnicodeString(1, u'A' + position); }
UnicodeString FunctionKey(unsigned int number) { return u"F" + kestrine::IntToStr(number); }

}  // namespace

THotKeyCode::THotKeyCode(bool ctrl, bool shift, bool alt, UnicodeString key)
    : Ctrl(ctrl), Shift(shift), Alt(alt), Key(std::move(key)) {}

THotKeyCode THotKeyCode::FromIndex(unsigned int index) {
  if (index < 26) return THotKeyCode(true, false, false, Letter(index));
  if (index < 52) return THotKeyCode(true, false, true, Letter(index - 26));
  if (index < 64) return THotKeyCode(false, true, false, FunctionKey(index - 51));
  if (index < kCount) return THotKeyCode(true, true, false, FunctionKey(index - 63));
  return THotKeyCode(false, false, false, UnicodeString());
}

int THotKeyCode::GetVirtualKeyCode() const {
  for (unsigned int i = 0; i < 26; ++i) {
    if (Key == Letter(i)) return 0x41 + static_cast<int>(i);
  }
  for (unsigned int i = 1; i <= 12; ++i) {
    if (Key == FunctionKey(i)) return 0x70 + static_cast<int>(i) - 1;
  }
  return 0;
}

std::vector<UnicodeString> THotKeyCode::GetNames() {
  std::vector<UnicodeString> names;
  names.reserve(kCount);
  for (unsigned int i = 0; i < 26; ++i) names.push_back(u"Ctrl+" + Letter(i));
  for (unsigned int i = 0; i < 26; ++i) names.push_back(u"Ctrl+Alt+" + Letter(i));
  for (unsigned int i = 1; i <= 12; ++i) names.push_back(u"Shift+" + FunctionKey(i));
  for (unsigned int i = 1; i <= 12; ++i) names.push_back(u"Shift+Ctrl+" + FunctionKey(i));
  return names;
}
