// The platform picked at start-up on a Wayland desktop, where only X11 clients get global keys.
#include <gtest/gtest.h>

#include <QByteArray>
#include <optional>
#include <vector>

#include "app/native/GlobalHotKey.h"

namespace kestrine::test {
namespace {

TEST(PlatformChoice, XWaylandUnderWaylandUnlessTheUserChose) {
  struct Case {
    const char *wayland, *display, *platform;  // nullptr: unset
    const char* expected;                      // QT_QPA_PLATFORM afterwards, "" when unset
  };
  const Case cases[] = {
      {"wayland-0", ":0", nullptr, "xcb"},        // Wayland session with XWayland
      {"wayland-0", ":0", "", "xcb"},             // set but empty counts as unset
      {"wayland-0", ":0", "wayland", "wayland"},  // the user's choice stays
      {"wayland-0", nullptr, nullptr, ""},        // no XWayland: xcb could not start
      {nullptr, ":0", nullptr, ""},               // X11 session: Qt's own default
  };
  const char* names[] = {"WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"};
  std::vector<std::optional<QByteArray>> saved;
  for (const char* name : names) {
    saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
  }
  for (const Case& c : cases) {
    const char* values[] = {c.wayland, c.display, c.platform};
    for (size_t i = 0; i < 3; ++i) {
      if (values[i]) {
        qputenv(names[i], values[i]);
      } else {
        qunsetenv(names[i]);
      }
    }
    kestrine::native::PreferPlatformWithGlobalKeys();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM").toStdString(), c.expected)
        << (c.wayland ? c.wayland : "-") << " " << (c.display ? c.display : "-") << " "
        << (c.platform ? c.platform : "-");
  }
  for (size_t i = 0; i < 3; ++i) {
    if (saved[i]) {
      qputenv(names[i], *saved[i]);
    } else {
      qunsetenv(names[i]);
    }
  }
}

}  // namespace
}  // namespace kestrine::test
