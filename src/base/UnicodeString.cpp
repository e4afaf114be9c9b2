#include "base/UnicodeString.h"

#include <cstdint>

namespace kestrine {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsSurrogatePairAt(text, i)) {
      c = CombineSurrogates(text[i], text[i + 1]);
      ++i;
    } else if (IsSurrogate(c)) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

UnicodeString FromUtf8(std::string_view text) {
  UnicodeString out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    char32_t c = 0xFFFD;
    size_t len = 1;
    if (b < 0x80) {
      c = b;
    } else {
      size_t need = 0;
      char32_t min = 0;
      if (b >= 0xC2 && b <= 0xDF) {
        need = 1, c = b & 0x1F, min = 0x80;
      } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2, c = b & 0x0F, min = 0x800;
      } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3, c = b & 0x07, min = 0x10000;
      }
      bool ok = need > 0;
      if (ok) {
        for (size_t k = 1; k <= need; ++k) {
          if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
            ok = false;
            len = k;  // resynchronise at the offending byte
            break;
          }
          c = (c << 6) | (p[i + k] & 0x3F);
        }
      }
      if (ok && (c < min || c > 0x10FFFF || IsSurrogate(c))) {
        ok = false;
        len = 1;
      }
      if (ok) {
        len = need + 1;
      } else {
        c = 0xFFFD;
      }
    }
    AppendCodePoint(out, c);
    i += len;
  }
  return out;
}

UnicodeString Ascii(std::string_view text) { return UnicodeString(text.begin(), text.end()); }

UnicodeString IntToStr(long long value) {
  const std::string s = std::to_string(value);
  return UnicodeString(s.begin(), s.end());
}

bool TryStrToInt(std::u16string_view text, int& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  bool hex = false;
  if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true, ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true, i += 2;
  }
  if (i == text.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (hex && c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (hex && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return false;
    }
    magnitude = magnitude * (hex ? 16 : 10) + digit;
    if (magnitude > limit) return false;
  }
  const auto pattern = static_cast<uint32_t>(magnitude);
  const uint32_t result = negative ? 0u - pattern : pattern;
  value = static_cast<int32_t>(result);
  return true;
}

bool TryDecimalToInt(std::u16string_view text, int& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return false;
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > 2147483648LL) return false;
  }
  const long long signedValue = negative ? -magnitude : magnitude;
  if (signedValue > 2147483647LL) return false;
  value = static_cast<int>(signedValue);
  return true;
}

void AppendCodePoint(UnicodeString& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

UnicodeString ChangeFileExt(const UnicodeString& path, const UnicodeString& extension) {
  const size_t dirEnd = path.find_last_of(u"\\/:");
  const size_t dot = path.find_last_of(u'.');
  if (dot == UnicodeString::npos || (dirEnd != UnicodeString::npos && dot < dirEnd)) {
    return path + extension;
  }
  return path.substr(0, dot) + extension;
}

UnicodeString FormatS(std::u16string_view format, std::initializer_list<std::u16string_view> args) {
  UnicodeString out;
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u's' &&
        next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

UnicodeString TrimControl(std::u16string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] <= 32) ++b;
  while (e > b && text[e - 1] <= 32) --e;
  return UnicodeString(text.substr(b, e - b));
}

}  // namespace kestrine
