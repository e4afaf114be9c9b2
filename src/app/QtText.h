#pragma once
// The one crossing between the core's UTF-16 text and Qt's.
#include <QString>

#include "base/UnicodeString.h"

namespace kestrine::app {

inline QString ToQString(const UnicodeString& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline UnicodeString ToUnicodeString(const QString& text) {
  return UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()),
                       static_cast<size_t>(text.size()));
}

}  // namespace kestrine::app
