// ReadInteger against a reference that spells out its rules with arbitrary precision.
#include <cstdint>
#include <string>

#include "settings/MemIniFile.h"

namespace {

// Blanks, a sign, then decimal within the signed range or "$"/"x"/"X"/"0x"/"0X" and hex that
// fits 32 bits (taken as a bit pattern); nothing else.
bool Reference(const UnicodeString& s, int& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  int base = 10;
  if (s.compare(i, 2, u"0x") == 0 || s.compare(i, 2, u"0X") == 0) {
    base = 16, i += 2;
  } else if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    base = 16, ++i;
  }
  std::string digits;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    const bool dec = c >= u'0' && c <= u'9';
    const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (!dec && !(base == 16 && hex)) return false;
    digits += static_cast<char>(c);
  }
  if (digits.empty()) return false;
  while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
  if (digits.size() > 10) return false;
  const unsigned long long v = std::stoull(digits, nullptr, base);
  if (base == 16) {
    if (v > 0xFFFFFFFFull) return false;
    const auto pattern = static_cast<uint32_t>(v);
    out = static_cast<int32_t>(neg ? 0u - pattern : pattern);
    return true;
  }
  if (neg ? v > 2147483648ull : v > 2147483647ull) return false;
  out = neg ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UnicodeString text;
  for (size_t i = 0; i < size; ++i) text += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x3000 + data[i]);
  TMemIniFile ini(u"");
  ini.WriteString(u"S", u"k", text);
  int expected = -7;
  const int want = Reference(text, expected) ? expected : -7;
  if (ini.ReadInteger(u"S", u"k", -7) != want) __builtin_trap();
  return 0;
}
