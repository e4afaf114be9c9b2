#include <gtest/gtest.h>

#include "base/UnicodeString.h"
#include "hotkey/HotKeyCode.h"

TEST(HotKeyCode, TellingRows) {
  struct Row {
    unsigned index;
    const char16_t* name;
    bool ctrl, shift, alt;
    const char16_t* key;
    int vk;
  };
  const Row rows[] = {
      {0, u"Ctrl+A", true, false, false, u"A", 0x41},
      {25, u"Ctrl+Z", true, false, false, u"Z", 0x5A},
      {26, u"Ctrl+Alt+A", true, false, true, u"A", 0x41},
      {51, u"Ctrl+Alt+Z", true, false, true, u"Z", 0x5A},
      {52, u"Shift+F1", false, true, false, u"F1", 0x70},
      {61, u"Shift+F10", false, true, false, u"F10", 0x79},
      {63, u"Shift+F12", false, true, false, u"F12", 0x7B},
      {64, u"Shift+Ctrl+F1", true, true, false, u"F1", 0x70},
      {75, u"Shift+Ctrl+F12", true, true, false, u"F12", 0x7B},
  };
  const auto names = THotKeyCode::GetNames();
  ASSERT_EQ(names.size(), 76u);
  for (const auto& r : rows) {
    const THotKeyCode code = THotKeyCode::FromIndex(r.index);
    EXPECT_EQ(names[r.index], r.name);
    EXPECT_EQ(code.Ctrl, r.ctrl) << r.index;
    EXPECT_EQ(code.Shift, r.shift) << r.index;
    EXPECT_EQ(code.Alt, r.alt) << r.index;
    EXPECT_EQ(code.Key, r.key) << r.index;
    EXPECT_EQ(code.GetVirtualKeyCode(), r.vk) << r.index;
  }
}

TEST(HotKeyCode, EveryNameMatchesItsCombination) {
  const auto names = THotKeyCode::GetNames();
  for (unsigned i = 0; i < names.size(); ++i) {
    const THotKeyCode code = THotKeyCode::FromIndex(i);
    UnicodeString expected;
    if (code.Shift) expected += u"Shift+";
    if (code.Ctrl) expected += u"Ctrl+";
    if (code.Alt) expected += u"Alt+";
    EXPECT_EQ(names[i], expected + code.Key) << i;
    EXPECT_NE(code.GetVirtualKeyCode(), 0) << i;
  }
}

TEST(HotKeyCode, OutsideTheTableThereIsNoCombination) {
  for (const unsigned index : {76u, 1000u, static_cast<unsigned>(-1)}) {
    const THotKeyCode code = THotKeyCode::FromIndex(index);
    EXPECT_FALSE(code.Ctrl || code.Shift || code.Alt) << index;
    EXPECT_EQ(code.Key, u"");
    EXPECT_EQ(code.GetVirtualKeyCode(), 0);
  }
  EXPECT_EQ(THotKeyCode(true, false, false, u"a").GetVirtualKeyCode(), 0);  // exact case
  EXPECT_EQ(THotKeyCode(true, false, false, u"F13").GetVirtualKeyCode(), 0);
}
