#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cstdlib>
#include <memory>
#include <vector>

#include "QtTestSupport.h"
#include "WarningBoxes.h"
#include "app/native/GlobalHotKey.h"

namespace kestrine::native {
namespace {

using kestrine::test::WaitFor;

constexpr xcb_keysym_t kControlL = 0xFFE3, kShiftL = 0xFFE1, kAltL = 0xFFE9;
constexpr xcb_keysym_t kCapsLock = 0xFFE5, kNumLock = 0xFF7F;
constexpr xcb_keysym_t kF1 = 0xFFBE, kF12 = 0xFFC9;

// A connection of its own, as another program on the same display has.
class XClient {
 public:
  XClient() : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    min_ = setup->min_keycode;
    auto* keys = xcb_get_keyboard_mapping_reply(
        connection_,
        xcb_get_keyboard_mapping(connection_, min_, uint8_t(setup->max_keycode - min_ + 1)),
        nullptr);
    perKeycode_ = keys->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keys);
    keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(keys));
    std::free(keys);
    auto* mods =
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mods);
    for (int i = 0; i < xcb_get_modifier_mapping_keycodes_length(mods); ++i) {
      if (codes[i] == Keycode(kNumLock))
        numLock_ = uint16_t(1u << (i / mods->keycodes_per_modifier));
    }
    std::free(mods);
  }
  // Caps Lock and Num Lock go back off, whatever a failed test left on.
  ~XClient() {
    auto* pointer =
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
    if (pointer && (pointer->mask & XCB_MOD_MASK_LOCK)) Press({kCapsLock});
    if (pointer && numLock_ && (pointer->mask & numLock_)) Press({kNumLock});
    std::free(pointer);
    xcb_disconnect(connection_);
  }
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  xcb_keycode_t Keycode(xcb_keysym_t keysym) const {
    for (size_t i = 0; i < keysyms_.size(); ++i) {
      if (keysyms_[i] == keysym) return xcb_keycode_t(min_ + i / perKeycode_);
    }
    return 0;
  }
  uint16_t NumLockMask() const { return numLock_; }

  bool Grab(xcb_keysym_t key, uint16_t modifiers) {
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_grab_key_checked(connection_, 0, root_, modifiers, Keycode(key),
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
  }
  void Ungrab(xcb_keysym_t key, uint16_t modifiers) {
    xcb_ungrab_key(connection_, Keycode(key), root_, modifiers);
    Sync();
  }
  // Can this client take the key in every lock state but `held`?
  bool CanGrabAllVariantsBut(xcb_keysym_t key, uint16_t modifiers, int held = -1) {
    bool all = true;
    const uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, numLock_,
                                 uint16_t(XCB_MOD_MASK_LOCK | numLock_)};
    for (const uint16_t v : variants) {
      if (v == held) continue;
      if (Grab(key, modifiers | v)) {
        Ungrab(key, modifiers | v);
      } else {
        all = false;
      }
    }
    return all;
  }

  // Presses the keys in order and releases them in reverse, through XTest.
  void Press(const std::vector<xcb_keysym_t>& keys) {
    for (const xcb_keysym_t k : keys) Fake(XCB_KEY_PRESS, k);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) Fake(XCB_KEY_RELEASE, *it);
    Sync();
  }

 private:
  void Fake(uint8_t type, xcb_keysym_t key) {
    xcb_test_fake_input(connection_, type, Keycode(key), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }
  void Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
  xcb_keycode_t min_ = 0;
  uint8_t perKeycode_ = 1;
  std::vector<xcb_keysym_t> keysyms_;
  uint16_t numLock_ = 0;
};

const uint16_t kCtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

std::vector<int> Ids(const QSignalSpy& spy) {
  std::vector<int> ids;
  for (const auto& arguments : spy) ids.push_back(arguments.at(0).toInt());
  return ids;
}

TEST(GlobalHotKeyX11Test, ThePressedCombinationReachesItsId) {
  const struct {
    unsigned modifiers;
    int virtualKey;
    std::vector<xcb_keysym_t> keys;
  } cases[] = {
      {kModControl | kModAlt, 0x41, {kControlL, kAltL, 'a'}},
      {kModControl, 0x5A, {kControlL, 'z'}},
      {kModShift, 0x70, {kShiftL, kF1}},
      {kModControl | kModShift, 0x7B, {kControlL, kShiftL, kF12}},
  };
  XClient user;
  int id = 40;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.virtualKey);
    GlobalHotKey hotKey(nullptr);
    QSignalSpy activated(&hotKey, &GlobalHotKey::Activated);
    ASSERT_TRUE(hotKey.Register(++id, c.modifiers, c.virtualKey));
    user.Press(c.keys);
    ASSERT_TRUE(WaitFor(5000, [&] { return !activated.isEmpty(); }));
    EXPECT_EQ(Ids(activated), std::vector<int>{id});
  }
}

TEST(GlobalHotKeyX11Test, OnlyTheExactCombinationCountsWhateverTheLockKeys) {
  XClient user;
  GlobalHotKey hotKey(nullptr);
  QSignalSpy activated(&hotKey, &GlobalHotKey::Activated);
  ASSERT_TRUE(hotKey.Register(7, kModControl | kModAlt, 0x41));
  // Caps Lock and Num Lock toggle on a press: none, Caps, Caps+Num, Num, none again.
  const xcb_keysym_t toggles[] = {0, kCapsLock, kNumLock, kCapsLock, kNumLock};
  int expected = 0;
  for (const xcb_keysym_t toggle : toggles) {
    SCOPED_TRACE(toggle);
    if (toggle) user.Press({toggle});
    user.Press({kControlL, 'a'});
    user.Press({kAltL, 'a'});
    user.Press({kControlL, kAltL, kShiftL, 'a'});
    user.Press({kControlL, kAltL, 'b'});
    user.Press({kControlL, kAltL, 'a'});
    ++expected;
    ASSERT_TRUE(WaitFor(5000, [&] { return activated.size() >= expected; }));
  }
  EXPECT_EQ(Ids(activated), std::vector<int>(5, 7));
}

TEST(GlobalHotKeyX11Test, AGrabHeldByAnotherProgramFailsTheRegistrationAndLeavesNothing) {
  XClient probe;
  const uint16_t numLock = probe.NumLockMask();
  ASSERT_NE(numLock, 0);
  const uint16_t held[] = {0, uint16_t(XCB_MOD_MASK_LOCK | numLock)};  // first and last taken
  for (const uint16_t variant : held) {
    SCOPED_TRACE(variant);
    {
      XClient other;
      ASSERT_TRUE(other.Grab('a', kCtrlAlt | variant));
      GlobalHotKey hotKey(nullptr);
      EXPECT_FALSE(hotKey.Register(3, kModControl | kModAlt, 0x41));
      // The variants taken before the refusal were given back.
      EXPECT_TRUE(probe.CanGrabAllVariantsBut('a', kCtrlAlt, variant));
    }
    // The other program has gone; now the keys are free.
    GlobalHotKey hotKey(nullptr);
    EXPECT_TRUE(hotKey.Register(3, kModControl | kModAlt, 0x41));
  }
}

TEST(GlobalHotKeyX11Test, WithdrawingFreesTheKeysAndSilencesThem) {
  XClient user;
  GlobalHotKey hotKey(nullptr);
  QSignalSpy activated(&hotKey, &GlobalHotKey::Activated);
  ASSERT_TRUE(hotKey.Register(5, kModShift, 0x70));
  ASSERT_TRUE(hotKey.Register(6, kModControl | kModAlt, 0x41));
  EXPECT_FALSE(user.CanGrabAllVariantsBut(kF1, XCB_MOD_MASK_SHIFT));
  hotKey.Unregister(5);
  EXPECT_TRUE(user.CanGrabAllVariantsBut(kF1, XCB_MOD_MASK_SHIFT));
  user.Press({kShiftL, kF1});
  user.Press({kControlL, kAltL, 'a'});
  ASSERT_TRUE(WaitFor(5000, [&] { return !activated.isEmpty(); }));
  EXPECT_EQ(Ids(activated), std::vector<int>{6});

  {
    GlobalHotKey shortLived(nullptr);
    ASSERT_TRUE(shortLived.Register(9, kModShift, 0x7B));
  }
  EXPECT_TRUE(user.CanGrabAllVariantsBut(kF12, XCB_MOD_MASK_SHIFT));
}

TEST(GlobalHotKeyX11Test, ACombinationIsRegisteredOnceAndAnIdMovesToItsNewKeys) {
  XClient user;
  GlobalHotKey hotKey(nullptr);
  QSignalSpy activated(&hotKey, &GlobalHotKey::Activated);
  ASSERT_TRUE(hotKey.Register(1, kModControl | kModAlt, 0x41));
  EXPECT_FALSE(hotKey.Register(2, kModControl | kModAlt, 0x41));
  ASSERT_TRUE(hotKey.Register(1, kModShift, 0x70));
  EXPECT_TRUE(user.CanGrabAllVariantsBut('a', kCtrlAlt));
  user.Press({kShiftL, kF1});
  ASSERT_TRUE(WaitFor(5000, [&] { return !activated.isEmpty(); }));
  EXPECT_EQ(Ids(activated), std::vector<int>{1});
}

TEST(GlobalHotKeyX11Test, UnknownKeysAndFlagsAreRefused) {
  GlobalHotKey hotKey(nullptr);
  EXPECT_FALSE(hotKey.Register(1, kModControl, 0x30));  // '0' is not in the table
  EXPECT_FALSE(hotKey.Register(1, kModControl, 0));
  EXPECT_FALSE(hotKey.Register(1, 0x0008 /* MOD_WIN */, 0x41));
}

}  // namespace
}  // namespace kestrine::native
