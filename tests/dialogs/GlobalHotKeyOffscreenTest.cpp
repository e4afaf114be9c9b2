#include "app/native/GlobalHotKey.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace kestrine::native {
namespace {

// The offscreen platform, like Wayland, has no X connection to grab keys on.
TEST(GlobalHotKeyOffscreenTest, RegisteringFailsCleanlyWithoutAnXConnection) {
  GlobalHotKey hotKey(nullptr);
  QSignalSpy activated(&hotKey, &GlobalHotKey::Activated);
  EXPECT_FALSE(hotKey.Register(1, kModControl | kModAlt, 0x41));
  EXPECT_FALSE(hotKey.Register(2, kModShift, 0x70));
  hotKey.Unregister(1);
  hotKey.Unregister(99);
  EXPECT_TRUE(activated.isEmpty());
}

}  // namespace
}  // namespace kestrine::native
