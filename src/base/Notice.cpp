#include "base/Notice.h"

#include <cstdio>

namespace kestrine {
namespace {
WarningHandler& Handler() {
  static WarningHandler handler;
  return handler;
}
}  // namespace

WarningHandler SetWarningHandler(WarningHandler handler) {
  WarningHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

void ShowWarning(const UnicodeString& text) {
  if (Handler()) {
    Handler()(text);
  } else {
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
  }
}

}  // namespace kestrine
