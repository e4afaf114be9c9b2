#pragma once
// The system's text type and the few text helpers the core shares.
#include <cstdint>
#include <string>
#include <string_view>

using UnicodeString = std::u16string;

namespace kestrine {

// UTF-16 <-> UTF-8. Unpaired surrogates and invalid UTF-8 become U+FFFD.
std::string ToUtf8(std::u16string_view text);
UnicodeString FromUtf8(std::string_view text);

// ASCII literal to UnicodeString, for code that builds texts from parts.
UnicodeString Ascii(std::string_view text);

UnicodeString IntToStr(long long value);

// The platform's integer conversion: optional leading blanks, optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", nothing after the digits.
// Decimal must fit a signed 32-bit integer; hexadecimal must fit 32 bits and is taken as a
// bit pattern ("$FFFFFFFF" is -1).
bool TryStrToInt(std::u16string_view text, int& value);

// Strictly decimal: optional leading blanks, optional sign, decimal digits that fit a signed
// 32-bit integer. For texts like a column "XFD" that must never be read as hexadecimal.
bool TryDecimalToInt(std::u16string_view text, int& value);

// UTF-16 surrogates.
constexpr bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}
// Whether text[i] and text[i + 1] form a well-formed pair.
constexpr bool IsSurrogatePairAt(std::u16string_view text, size_t i) {
  return i + 1 < text.size() && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]);
}
constexpr char32_t CombineSurrogates(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}
// Appends a code point as one unit, or as a pair above the BMP.
void AppendCodePoint(UnicodeString& out, char32_t c);

// Replaces the extension of the last path component (or appends one); "\\", "/" and ":" end
// a directory part.
UnicodeString ChangeFileExt(const UnicodeString& path, const UnicodeString& extension);

// Replaces each "%s" in order by the next argument ("%%" stays "%%").
UnicodeString FormatS(std::u16string_view format, std::initializer_list<std::u16string_view> args);

// Strips the characters with codes 0 to 32 from both ends.
UnicodeString TrimControl(std::u16string_view text);

}  // namespace kestrine
