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

// Replaces each "%s" in order by the next argument ("%%" stays "%%").
UnicodeString FormatS(std::u16string_view format, std::initializer_list<std::u16string_view> args);

// Strips the characters with codes 0 to 32 from both ends.
UnicodeString TrimControl(std::u16string_view text);

}  // namespace kestrine
