#include <gtest/gtest.h>

#include "bookmarks/BookmarkItem.h"
#include "settings/MemIniFile.h"
#include "support/AutomationServer.h"

using kestrine::test::U8;

namespace {

// An INI object with no file: reads and writes in memory only.
struct Ini {
  TMemIniFile file{u""};
  void Put(const UnicodeString& text) { file.WriteString(u"BOOKMARK", u"Item0", text); }
  std::unique_ptr<TBookmarkItem> Load() {
    return TBookmarkItem::LoadFromIni(&file, u"BOOKMARK", u"Item0");
  }
};

}  // namespace

TEST(BookmarkItem, DisplayText) {
  EXPECT_EQ(TBookmarkItem(u"", u"Book1.xlsx", u"Sheet1", 1, 4).GetDisplayText(),
            u"Book1.xlsx!Sheet1[B:5]");
  EXPECT_EQ(TBookmarkItem(u" ", u"B", u"S", 0, 0).GetDisplayText(), u" ");
  EXPECT_EQ(TBookmarkItem(u"Totals", u"B", u"S", 0, 0).GetDisplayText(), u"Totals");
  EXPECT_EQ(TBookmarkItem(u"", u"B", u"S", 0, 0).GetDisplayText(), u"B!S[A:1]");
  EXPECT_EQ(TBookmarkItem(u"", u"B", u"S", 16384, 4).GetDisplayText(), u"B!S[:5]");
  EXPECT_EQ(TBookmarkItem(u"", u"B", u"S", -3, -1).GetDisplayText(), u"B!S[:0]");
  EXPECT_EQ(TBookmarkItem(u"", u"B", u"S", 0, INT32_MAX).GetDisplayText(), u"B!S[A:2147483648]");
}

TEST(BookmarkItem, StoredTextOfTheWorkedExamples) {
  struct Case {
    TBookmarkItem item;
    const char16_t* stored;
  };
  const Case cases[] = {
      {{u"", u"Book1.xlsx", u"Sheet1", 0, 0}, u",Book1.xlsx,Sheet1,0,0"},
      {{u"Totals", u"Sales 2010.xlsx", u"Q1", 27, 9}, u"Totals,\"Sales 2010.xlsx\",Q1,27,9"},
      {{u"a\"b", u"Book1", u"x,y", 3, 99}, u"\"a\"\"b\",Book1,\"x,y\",3,99"},
      {{u"売上", u"集計.xlsx", u"一月", 2, 0}, u"売上,集計.xlsx,一月,2,0"},
      {{u"\u00a0\u3000", u"\x01", u"", -5, -1}, u"\u00a0\u3000,\"\x01\",,-5,-1"},
  };
  for (const auto& c : cases) {
    Ini ini;
    c.item.SaveToIni(&ini.file, u"BOOKMARK", u"Item0");
    EXPECT_EQ(ini.file.ReadString(u"BOOKMARK", u"Item0", u"?"), c.stored) << U8(c.stored);
    const auto back = ini.Load();
    ASSERT_TRUE(back) << U8(c.stored);
    EXPECT_EQ(back->Name, c.item.Name);
    EXPECT_EQ(back->BookName, c.item.BookName);
    EXPECT_EQ(back->SheetName, c.item.SheetName);
    EXPECT_EQ(back->Column, c.item.Column);
    EXPECT_EQ(back->Row, c.item.Row);
  }
}

TEST(BookmarkItem, NamesWithSeparatorsAndBlanksComeBackUnchanged) {
  for (const UnicodeString name : {u"a,b", u"say \"hi\"", u"tab\there", u" lead", u"trail ", u"\"",
                                   u",", u"\"\"", u"a\"", u"x\u3000y"}) {
    Ini ini;
    TBookmarkItem(name, u"B", u"S", 1, 2).SaveToIni(&ini.file, u"BOOKMARK", u"Item0");
    const auto back = ini.Load();
    ASSERT_TRUE(back) << U8(name);
    EXPECT_EQ(back->Name, name);
  }
}

TEST(BookmarkItem, ReadingHandWrittenTexts) {
  struct Case {
    const char16_t* stored;
    bool valid;
    const char16_t* name = u"";
    const char16_t* sheet = u"";
    int column = 0;
    int row = 0;
  };
  const Case cases[] = {
      {u"n,b,s,1", false},                               // four fields
      {u"n,b,s,1,2,extra", true, u"n", u"s", 1, 2},      // the sixth is ignored
      {u"n,b,s,A,2", false},
      {u"n,b,s,,2", false},
      {u"n,b,s,1.5,2", false},
      {u"n,b,s,\" 5\",2", true, u"n", u"s", 5, 2},       // the platform's conversion skips blanks
      {u"n,b,s,$1F,0x10", true, u"n", u"s", 31, 16},
      {u"my name,b,s,1,2", false},                       // the blank splits the name
      {u"", false},
      {u"a b c 1 2", true, u"a", u"c", 1, 2},            // blanks separate fields
      {u"\"q\"x,s,1,2", true, u"q", u"s", 1, 2},         // text after a closing mark is a field
      {u"n,b,s,1,2,", true, u"n", u"s", 1, 2},
      {u"n,b,s,-1,-2147483648", true, u"n", u"s", -1, INT32_MIN},
      {u"n,b,s,1,2147483648", false},
  };
  for (const auto& c : cases) {
    Ini ini;
    ini.Put(c.stored);
    const auto item = ini.Load();
    ASSERT_EQ(item != nullptr, c.valid) << U8(c.stored);
    if (!item) continue;
    EXPECT_EQ(item->Name, c.name) << U8(c.stored);
    EXPECT_EQ(item->SheetName, c.sheet) << U8(c.stored);
    EXPECT_EQ(item->Column, c.column) << U8(c.stored);
    EXPECT_EQ(item->Row, c.row) << U8(c.stored);
  }
}

TEST(BookmarkItem, MissingKeyGivesNoItem) {
  Ini ini;
  EXPECT_EQ(TBookmarkItem::LoadFromIni(&ini.file, u"BOOKMARK", u"Item9"), nullptr);
}

TEST(BookmarkItem, UnclosedQuoteTakesTheWholeRestOfTheText) {
  using V = std::vector<UnicodeString>;
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"a,\"b,c d"), (V{u"a", u"b,c d"}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"a,\"x"), (V{u"a", u"x"}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"a,\"\"\"x"), (V{u"a", u"\"x"}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"n,b,s,1,\"2"), (V{u"n", u"b", u"s", u"1", u"2"}));
}

TEST(BookmarkItem, SplittingFollowsTheCommaTextRules) {
  using V = std::vector<UnicodeString>;
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"a,"), (V{u"a", u""}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"a,  "), (V{u"a"}));  // the comma is not the last char
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u",,"), (V{u"", u"", u""}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"  a ,  b  "), (V{u"a", u"b"}));
  EXPECT_EQ(TBookmarkItem::SplitCommaText(u"\"a\"\"b\""), (V{u"a\"b"}));
}
