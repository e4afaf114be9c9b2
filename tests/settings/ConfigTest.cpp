#include <gtest/gtest.h>

#include <chrono>

#include "base/Exception.h"
#include "settings/Config.h"
#include "settings/MemIniFile.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;

namespace {

const std::string kDefaults =
    "[SYSTEM]\r\nVersion=0\r\n\r\n"
    "[STARTUP]\r\nWindowPositionRestore=0\r\nWindowPositionLeft=0\r\nWindowPositionRight=236\r\n"
    "WindowPositionTop=0\r\nWindowPositionBottom=320\r\nWindowState=0\r\nShowStayOnTop=0\r\n"
    "InTaskTray=0\r\nUseHotKey=0\r\nHotKeyCodeIndex=0\r\n\r\n"
    "[BOOKMARK]\r\nCount=0\r\n\r\n";

struct ConfigFixture : ::testing::Test {
  ScopedAnsiCodec utf8{MakeUtf8Codec()};  // files without a mark are UTF-8 here
  ScopedConfigHome home;
  UnicodeString name = TConfig::GetFileName();
  std::filesystem::path path = PathOf(name);

  void Write(const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    WriteBytes(path, bytes);
  }
  std::string Read() { return ReadBytes(path); }
  static void Add(TConfig& c, const UnicodeString& n, int column = 0, int row = 0) {
    c.Bookmarks.push_back(std::make_unique<TBookmarkItem>(n, u"B.xlsx", u"S", column, row));
  }
};

}  // namespace

TEST_F(ConfigFixture, FileNameLiesUnderTheRoamingFolder) {
  EXPECT_EQ(path, home.Path() / "Quorvane" / "Kestrine" / "Kestrine.ini");
}

TEST_F(ConfigFixture, FirstSaveCreatesTheFolderAndWritesTheDefaults) {
  TConfig config;
  config.Load(name);  // no file: defaults, no message
  config.Save(name);
  EXPECT_EQ(Read(), kDefaults);
}

TEST_F(ConfigFixture, EverySettingRoundTrips) {
  TConfig out;
  out.WindowPositionRestore = true;
  out.WindowPosition = {-1280, -5, 400, 500};
  out.SetWindowState(2);
  out.ShowStayOnTop = out.InTaskTray = out.UseHotKey = true;
  out.SetHotKeyCodeIndex(75);
  Add(out, u"売上,\"集計\"", 16383, 1048575);
  Add(out, u"");
  out.Save(name);
  EXPECT_NE(Read().find("WindowPositionLeft=-1280\r\n"), std::string::npos);

  TConfig in;
  in.Load(name);
  EXPECT_TRUE(in.WindowPositionRestore);
  EXPECT_EQ(in.WindowPosition.Left, -1280);
  EXPECT_EQ(in.WindowPosition.Top, -5);
  EXPECT_EQ(in.WindowPosition.Width, 400);
  EXPECT_EQ(in.WindowPosition.Height, 500);
  EXPECT_EQ(in.GetWindowState(), 2);
  EXPECT_TRUE(in.ShowStayOnTop && in.InTaskTray && in.UseHotKey);
  EXPECT_EQ(in.GetHotKeyCodeIndex(), 75);
  ASSERT_EQ(in.Bookmarks.size(), 2u);
  EXPECT_EQ(in.Bookmarks[0]->Name, u"売上,\"集計\"");
  EXPECT_EQ(in.Bookmarks[0]->Column, 16383);
  EXPECT_EQ(in.Bookmarks[0]->Row, 1048575);
  EXPECT_EQ(in.Bookmarks[1]->Name, u"");
}

TEST_F(ConfigFixture, HandEditedValues) {
  struct Case {
    const char* startup;
    void (*check)(const TConfig&);
  };
  const Case cases[] = {
      {"WindowState=3", [](const TConfig& c) { EXPECT_EQ(c.GetWindowState(), 0); }},
      {"WindowState=-1", [](const TConfig& c) { EXPECT_EQ(c.GetWindowState(), 0); }},
      {"WindowState=1", [](const TConfig& c) { EXPECT_EQ(c.GetWindowState(), 1); }},
      {"HotKeyCodeIndex=76", [](const TConfig& c) { EXPECT_EQ(c.GetHotKeyCodeIndex(), 0); }},
      {"HotKeyCodeIndex=75", [](const TConfig& c) { EXPECT_EQ(c.GetHotKeyCodeIndex(), 75); }},
      {"UseHotKey=2", [](const TConfig& c) { EXPECT_TRUE(c.UseHotKey); }},
      {"UseHotKey=true", [](const TConfig& c) { EXPECT_FALSE(c.UseHotKey); }},
      {"WindowPositionLeft=0x20", [](const TConfig& c) { EXPECT_EQ(c.WindowPosition.Left, 32); }},
      {"WindowPositionLeft=  40  ", [](const TConfig& c) { EXPECT_EQ(c.WindowPosition.Left, 40); }},
      {"WindowPositionRight=abc", [](const TConfig& c) { EXPECT_EQ(c.WindowPosition.Width, 236); }},
  };
  for (const auto& c : cases) {
    Write(std::string("[STARTUP]\r\n") + c.startup + "\r\n");
    TConfig config;
    config.Load(name);
    SCOPED_TRACE(c.startup);
    c.check(config);
  }
}

TEST_F(ConfigFixture, UnreadableBookmarksAreSkippedAndRenumberedOnSave) {
  Write("[BOOKMARK]\r\nCount=3\r\nItem0=a,B,S,0,0\r\nItem2=c,B,S,2,2\r\nItem3=d,B,S,3,3\r\n");
  TConfig config;
  config.Load(name);
  ASSERT_EQ(config.Bookmarks.size(), 2u);
  EXPECT_EQ(config.Bookmarks[0]->Name, u"a");
  EXPECT_EQ(config.Bookmarks[1]->Name, u"c");
  config.Save(name);
  const std::string text = Read();
  EXPECT_NE(text.find("[BOOKMARK]\r\nCount=2\r\nItem0=a,B,S,0,0\r\nItem2=c,B,S,2,2\r\n"
                      "Item3=d,B,S,3,3\r\nItem1=c,B,S,2,2\r\n"),
            std::string::npos)
      << text;
}

TEST_F(ConfigFixture, DeletingTheLastBookmarkLeavesAStaleKeyThatIsNeverRead) {
  TConfig config;
  for (int i = 0; i < 5; ++i) Add(config, u"n" + kestrine::IntToStr(i));
  config.Save(name);
  config.Bookmarks.pop_back();
  config.Save(name);
  EXPECT_NE(Read().find("Count=4\r\n"), std::string::npos);
  EXPECT_NE(Read().find("Item4=n4,"), std::string::npos);
  TConfig again;
  again.Load(name);
  EXPECT_EQ(again.Bookmarks.size(), 4u);
}

TEST_F(ConfigFixture, LoadAppendsToTheListItHolds) {
  Write("[BOOKMARK]\r\nCount=1\r\nItem0=a,B,S,0,0\r\n");
  TConfig config;
  Add(config, u"first");
  config.Load(name);
  ASSERT_EQ(config.Bookmarks.size(), 2u);
  EXPECT_EQ(config.Bookmarks[1]->Name, u"a");
}

TEST_F(ConfigFixture, BadCountsReadNoBookmarks) {
  for (const char* count : {"-1", "abc", "0"}) {
    Write(std::string("[BOOKMARK]\r\nCount=") + count + "\r\nItem0=a,B,S,0,0\r\n");
    TConfig config;
    config.Load(name);
    EXPECT_TRUE(config.Bookmarks.empty()) << count;
  }
}

TEST_F(ConfigFixture, HugeCountStaysFastAndKeepsOrder) {
  Write("[BOOKMARK]\r\nCount=2147483647\r\nitem7=h,B,S,7,7\r\nItem1=b,B,S,1,1\r\n"
        "Item01=z,B,S,0,0\r\nITEM2147483647=x,B,S,0,0\r\n");
  const auto start = std::chrono::steady_clock::now();
  TConfig config;
  config.Load(name);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(config.Bookmarks.size(), 2u);  // Item01 is no "Item%d" key; index 2147483647 >= Count
  EXPECT_EQ(config.Bookmarks[0]->Name, u"b");
  EXPECT_EQ(config.Bookmarks[1]->Name, u"h");
}

TEST_F(ConfigFixture, ForeignLinesAndSectionsThroughASave) {
  Write("; comment\r\nstray\r\n\r\n[USER]\r\nmine=1\r\nfree text\r\n[bookmark]\r\ncount=7\r\n");
  TConfig config;
  config.Load(name);
  Add(config, u"x");
  config.Save(name);
  EXPECT_EQ(Read(),
            "[USER]\r\nmine=1\r\nfree text\r\n\r\n[bookmark]\r\nCount=1\r\nItem0=x,B.xlsx,S,0,0\r\n\r\n"
            "[SYSTEM]\r\nVersion=0\r\n\r\n"
            "[STARTUP]\r\nWindowPositionRestore=0\r\nWindowPositionLeft=0\r\n"
            "WindowPositionRight=236\r\nWindowPositionTop=0\r\nWindowPositionBottom=320\r\n"
            "WindowState=0\r\nShowStayOnTop=0\r\nInTaskTray=0\r\nUseHotKey=0\r\n"
            "HotKeyCodeIndex=0\r\n\r\n");
}

TEST_F(ConfigFixture, Utf8FileWithMarkStaysUtf8) {
  Write("\xef\xbb\xbf[BOOKMARK]\r\nCount=1\r\nItem0=\xe5\xa3\xb2,B,S,0,0\r\n");  // 売
  TConfig config;
  config.Load(name);
  ASSERT_EQ(config.Bookmarks.size(), 1u);
  EXPECT_EQ(config.Bookmarks[0]->Name, u"売");
  config.Save(name);
  EXPECT_EQ(Read().substr(0, 3), "\xef\xbb\xbf");
}

TEST_F(ConfigFixture, NameOutsideTheCodePageSurvivesSaveAndLoad) {
  auto codec = MakeCp932Codec();
  if (!codec) GTEST_SKIP() << "no CP932 converter on this system";
  ScopedAnsiCodec cp932(codec);
  TConfig config;
  Add(config, u"\ud55c\uae00 \U0001F600");
  config.Save(name);
  TConfig back;
  back.Load(name);
  ASSERT_EQ(back.Bookmarks.size(), 1u);
  EXPECT_EQ(back.Bookmarks[0]->Name, u"\ud55c\uae00 \U0001F600");
}

TEST_F(ConfigFixture, FolderThatCannotBeCreatedWarnsAndWritesNothing) {
  WriteBytes(home.Path() / "Quorvane", "a file where the folder belongs");
  WarningRecorder warnings;
  TConfig config;
  config.Save(name);
  ASSERT_EQ(warnings.texts.size(), 1u);
  EXPECT_EQ(warnings.texts[0], u"設定ファイルを保存するためのフォルダの作成に失敗しました。");
  EXPECT_EQ(ReadBytes(home.Path() / "Quorvane"), "a file where the folder belongs");
}

TEST_F(ConfigFixture, ErrorsWhileSavingReachTheCallerAndMemoryStays) {
  std::filesystem::create_directories(path);  // the file name is taken by a folder
  TConfig config;
  Add(config, u"keep");
  EXPECT_THROW(config.Save(name), Exception);
  ASSERT_EQ(config.Bookmarks.size(), 1u);
  EXPECT_THROW(config.Load(name), Exception);
}

TEST(ConfigSetters, RangeLimitedValuesFallBackToZero) {
  TConfig config;
  for (const auto& [in, out] : {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}, {INT32_MIN, 0}}) {
    config.SetWindowState(in);
    EXPECT_EQ(config.GetWindowState(), out) << in;
  }
  for (const auto& [in, out] : {std::pair{0, 0}, {75, 75}, {76, 0}, {-1, 0}}) {
    config.SetHotKeyCodeIndex(in);
    EXPECT_EQ(config.GetHotKeyCodeIndex(), out) << in;
  }
}
