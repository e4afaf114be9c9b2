// The finder's hotkey settings: a section of their own, written only once they have been set
// or were read, so that a default file keeps its lines.
#include <gtest/gtest.h>

#include <functional>

#include "settings/Config.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;

namespace {

TEST(ConfigFinderTest, SectionWrittenOnlyOnceSetOrRead) {
  struct Case {
    const char* name;
    std::string before;  // the file's lines after [SYSTEM], or nothing for no file
    std::function<void(TConfig&)> change;
    bool use;
    int index;
    const char* section;  // the expected section's lines, nullptr for none
  };
  const Case cases[] = {
      {"untouched", "", [](TConfig&) {}, false, 31, nullptr},
      {"set to what it was", "", [](TConfig& c) { c.SetFinderHotKey(false, 31); }, false, 31,
       nullptr},
      {"set", "", [](TConfig& c) { c.SetFinderHotKey(true, 5); }, true, 5,
       "[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=5\r\n"},
      {"set and back", "",
       [](TConfig& c) {
         c.SetFinderHotKey(true, 5);
         c.SetFinderHotKey(false, 31);
       },
       false, 31, "[FINDER]\r\nUseHotKey=0\r\nHotKeyCodeIndex=31\r\n"},
      {"index out of range", "", [](TConfig& c) { c.SetFinderHotKey(true, 76); }, true, 0,
       "[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=0\r\n"},
      {"read from the file", "[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=99\r\n", [](TConfig&) {},
       true, 0, "[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=0\r\n"},
      {"read, one key missing", "[FINDER]\r\nUseHotKey=1\r\n", [](TConfig&) {}, true, 31,
       "[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=31\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedAnsiCodec utf8{MakeUtf8Codec()};
    ScopedConfigHome home;
    const UnicodeString name = TConfig::GetFileName();
    const std::filesystem::path path = PathOf(name);
    if (!c.before.empty()) {
      std::filesystem::create_directories(path.parent_path());
      WriteBytes(path, "[SYSTEM]\r\nVersion=0\r\n\r\n" + c.before);
    }
    TConfig config;
    config.Load(name);
    c.change(config);
    EXPECT_EQ(config.GetFinderUseHotKey(), c.use);
    EXPECT_EQ(config.GetFinderHotKeyCodeIndex(), c.index);
    config.Save(name);
    const std::string text = ReadBytes(path);
    if (c.section) {
      EXPECT_NE(text.find(c.section), std::string::npos) << text;
    } else {
      EXPECT_EQ(text.find("FINDER"), std::string::npos) << text;
    }
    // What was written reads back the same.
    TConfig again;
    again.Load(name);
    EXPECT_EQ(again.GetFinderUseHotKey(), c.use);
    EXPECT_EQ(again.GetFinderHotKeyCodeIndex(), c.index);
  }
}

}  // namespace
