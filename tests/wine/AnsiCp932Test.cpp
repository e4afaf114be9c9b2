// The system's ANSI code page on a Japanese system (code page 932), through the settings
// file. Run with a Japanese locale; elsewhere the tests are skipped unless
// KESTRINE_REQUIRE_CP932 is set, which the Wine test run does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Platform.h"
#include "settings/Config.h"
#include "support/TestHelpers.h"

using namespace kestrine;

namespace {

struct Cp932Test : ::testing::Test {
  void SetUp() override {
    if (GetACP() == 932) return;
    if (std::getenv("KESTRINE_REQUIRE_CP932")) {
      FAIL() << "the system code page is " << GetACP() << ", not 932";
    }
    GTEST_SKIP() << "not a Japanese system (code page " << GetACP() << ")";
  }
};

// Saves one bookmark with that name and loads it back; gives the file's bytes.
std::string RoundTrip(const UnicodeString& name, UnicodeString& loadedName) {
  test::TempDir dir;
  const UnicodeString file = dir.File("Kestrine.ini");
  {
    TConfig config;
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(name, u"売上.xlsx", u"表1", 1, 4));
    config.Save(file);
  }
  TConfig loaded;
  loaded.Load(file);
  EXPECT_EQ(loaded.Bookmarks.size(), 1u);
  if (!loaded.Bookmarks.empty()) {
    loadedName = loaded.Bookmarks[0]->Name;
    EXPECT_EQ(loaded.Bookmarks[0]->BookName, u"売上.xlsx");
    EXPECT_EQ(loaded.Bookmarks[0]->SheetName, u"表1");
  }
  return test::ReadBytes(dir.Path() / "Kestrine.ini");
}

}  // namespace

TEST_F(Cp932Test, CodecHoldsJapaneseAndRefusesTheRest) {
  const auto codec = platform::MakeSystemAnsiCodec();
  const struct {
    std::u16string_view text;
    std::string bytes;
  } held[] = {
      {u"日本語", "\x93\xfa\x96\x7b\x8c\xea"},
      {u"表", "\x95\x5c"},  // its second byte is a backslash
      {u"ｶﾅ", "\xb6\xc5"},  // half-width kana, one byte each
      {u"A-z", "A-z"},
  };
  for (const auto& c : held) {
    std::string bytes;
    EXPECT_TRUE(codec->Encode(c.text, bytes)) << ToUtf8(UnicodeString(c.text));
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(codec->Decode(bytes), c.text);
  }
  for (const std::u16string_view lost : {u"한", u"😀", u"\u00e9"}) {
    std::string bytes;
    EXPECT_FALSE(codec->Encode(lost, bytes)) << ToUtf8(UnicodeString(lost));
  }
}

TEST_F(Cp932Test, JapaneseBookmarkIsStoredInTheCodePageWithoutMark) {
  UnicodeString loaded;
  const std::string bytes = RoundTrip(u"日本語の表", loaded);
  EXPECT_EQ(loaded, u"日本語の表");
  EXPECT_EQ(bytes.rfind("[SYSTEM]\r\n", 0), 0u);  // no mark in front
  EXPECT_NE(bytes.find("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\x5c"), std::string::npos);
}

TEST_F(Cp932Test, NameOutsideTheCodePageMakesTheFileUtf8WithMark) {
  UnicodeString loaded;
  const std::string bytes = RoundTrip(u"한글 😀 表", loaded);
  EXPECT_EQ(loaded, u"한글 😀 表");
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF[SYSTEM]\r\n", 0), 0u);
  EXPECT_NE(bytes.find(ToUtf8(u"한글 😀 表")), std::string::npos);
}
