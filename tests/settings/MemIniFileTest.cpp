#include <gtest/gtest.h>

#include "base/Exception.h"
#include "settings/MemIniFile.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;

namespace {

const std::string kSample = "; note\r\n\r\nx=1\r\n[A]\r\n k = v \r\nloose text\r\n";

struct IniFixture : ::testing::Test {
  ScopedAnsiCodec utf8{MakeUtf8Codec()};  // files without a mark are UTF-8 here
  TempDir dir;
  std::filesystem::path path = dir.Path() / "t.ini";
  UnicodeString name = dir.File("t.ini");
  void Write(const std::string& bytes) { WriteBytes(path, bytes); }
  std::string Read() { return ReadBytes(path); }
};

}  // namespace

TEST_F(IniFixture, CommentsBlankLinesAndLinesBeforeTheFirstSectionVanish) {
  Write(kSample);
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString(u"a", u"K", u"d"), u"v");
  EXPECT_EQ(ini.ReadString(u"A", u"missing", u"d"), u"d");
  EXPECT_EQ(ini.ReadString(u"none", u"k", u"d"), u"d");
  EXPECT_EQ(ini.ReadString(u"A", u"loose text", u"d"), u"d");  // a line without "=" has no name
  ini.UpdateFile();
  EXPECT_EQ(Read(), "[A]\r\nk=v\r\nloose text\r\n\r\n");
}

TEST_F(IniFixture, LineEndingsOfEveryKindSplitLines) {
  Write("[S]\ra=1\nb=2\r\nc=3\n\rd=4");
  TMemIniFile ini(name);
  for (const auto& [key, value] : {std::pair{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}, {u"d", u"4"}}) {
    EXPECT_EQ(ini.ReadString(u"S", key, u""), value);
  }
}

TEST_F(IniFixture, ValuesKeepTheirEqualsSignsAndInnerBlanks) {
  Write("[S]\r\nKey=a=b\r\nsp = x  y \r\n");
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString(u"S", u"key", u""), u"a=b");
  EXPECT_EQ(ini.ReadString(u"S", u"sp", u""), u"x  y");
  ini.WriteString(u"S", u"pad", u"  both  ");
  EXPECT_EQ(ini.ReadString(u"S", u"pad", u""), u"  both  ");
  ini.UpdateFile();
  EXPECT_NE(Read().find("pad=  both  \r\n"), std::string::npos);
  TMemIniFile again(name);
  EXPECT_EQ(again.ReadString(u"S", u"pad", u""), u"both");
}

TEST_F(IniFixture, WritesReplaceInPlaceOrAppend) {
  Write(kSample);
  TMemIniFile ini(name);
  ini.WriteString(u"a", u"K", u"x");
  ini.WriteString(u"A", u"KEY", u"x");
  ini.WriteString(u"B", u"n", u"1");
  ini.UpdateFile();
  EXPECT_EQ(Read(), "[A]\r\nK=x\r\nloose text\r\nKEY=x\r\n\r\n[B]\r\nn=1\r\n\r\n");
}

TEST_F(IniFixture, DuplicateSectionsAndKeysReachOnlyTheFirstButAllSurvive) {
  Write("[A]\r\nk=1\r\nk=2\r\n[B]\r\n[a]\r\nk=3\r\n");
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString(u"A", u"k", u""), u"1");
  ini.WriteString(u"A", u"k", u"9");
  ini.WriteString(u"A", u"new", u"n");
  ini.UpdateFile();
  EXPECT_EQ(Read(), "[A]\r\nk=9\r\nk=2\r\nnew=n\r\n\r\n[B]\r\n\r\n[a]\r\nk=3\r\n\r\n");
}

TEST_F(IniFixture, NamesMatchWithoutRegardToCaseInAnyScript) {
  Write("[\u00c9T\u00c9]\r\n\u03a3\u039f\u03a6\u0399\u0391=greek\r\n\u041f\u0420\u0418\u0412\u0415\u0422=cyr\r\n"
        "\xef\xbc\xa1\xef\xbc\xa2=wide\r\n");
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString(u"\u00e9t\u00e9", u"\u03c3\u03bf\u03c6\u03b9\u03b1", u""), u"greek");
  EXPECT_EQ(ini.ReadString(u"\u00c9T\u00c9", u"\u043f\u0440\u0438\u0432\u0435\u0442", u""), u"cyr");
  EXPECT_EQ(ini.ReadString(u"\u00c9T\u00c9", u"\uff41\uff42", u""), u"wide");
}

TEST(IniNumbers, ReadIntegerAndReadBool) {
  TMemIniFile ini(u"");
  const std::pair<const char16_t*, int> ints[] = {
      {u"0x20", 32}, {u"$20", 32}, {u" 32", 32}, {u"32abc", -9}, {u"", -9}, {u"0xFFFFFFFF", -1},
      {u"-0", 0},    {u"+12", 12}, {u"1e3", -9}, {u"٣", -9}};
  for (const auto& [text, expected] : ints) {
    ini.WriteString(u"S", u"v", text);
    EXPECT_EQ(ini.ReadInteger(u"S", u"v", -9), expected) << kestrine::ToUtf8(text);
  }
  const std::pair<const char16_t*, bool> bools[] = {
      {u"2", true}, {u"0", false}, {u"1", true}, {u"true", true}, {u"yes", true}, {u"-1", true}};
  for (const auto& [text, expected] : bools) {
    ini.WriteString(u"S", u"b", text);
    EXPECT_EQ(ini.ReadBool(u"S", u"b", true), expected) << kestrine::ToUtf8(text);
  }
  ini.WriteString(u"S", u"b", u"true");
  EXPECT_FALSE(ini.ReadBool(u"S", u"b", false));  // words are not numbers: the default
  ini.WriteInteger(u"S", u"n", -42);
  ini.WriteBool(u"S", u"t", true);
  EXPECT_EQ(ini.ReadString(u"S", u"n", u""), u"-42");
  EXPECT_EQ(ini.ReadString(u"S", u"t", u""), u"1");
}

TEST_F(IniFixture, EncodingMarksAreKeptOnRewrite) {
  const std::string body = "[S]\r\nk=\xe6\x97\xa5\xe6\x9c\xac\r\n\r\n";  // 日本
  struct Case {
    std::string bytes;
    TMemIniFile::Encoding encoding;
  };
  const std::string le = std::string("\xff\xfe") + std::string("[\0S\0]\0\r\0\n\0k\0=\0\xe5\x65\x2c\x67\r\0\n\0\r\0\n\0", 26);
  const std::string be = std::string("\xfe\xff") + std::string("\0[\0S\0]\0\r\0\n\0k\0=\x65\xe5\x67\x2c\0\r\0\n\0\r\0\n", 26);
  const Case cases[] = {{"\xef\xbb\xbf" + body, TMemIniFile::Encoding::Utf8},
                        {le, TMemIniFile::Encoding::Utf16LE},
                        {be, TMemIniFile::Encoding::Utf16BE},
                        {body, TMemIniFile::Encoding::Ansi}};
  for (const auto& c : cases) {
    Write(c.bytes);
    TMemIniFile ini(name);
    EXPECT_EQ(ini.GetEncoding(), c.encoding);
    EXPECT_EQ(ini.ReadString(u"S", u"k", u""), u"日本");
    ini.UpdateFile();
    EXPECT_EQ(Read(), c.bytes);
  }
}

TEST_F(IniFixture, ANewFileHasNoMark) {
  TMemIniFile ini(name);
  EXPECT_EQ(ini.GetEncoding(), TMemIniFile::Encoding::None);
  ini.WriteString(u"S", u"k", u"日本");
  ini.UpdateFile();
  EXPECT_EQ(Read(), "[S]\r\nk=\xe6\x97\xa5\xe6\x9c\xac\r\n\r\n");
}

// A Japanese Windows writes ANSI files in code page 932; a character it lacks must not be lost.
TEST_F(IniFixture, CharactersOutsideTheAnsiCodePageAreWrittenAsUtf8) {
  auto codec = MakeCp932Codec();
  if (!codec) GTEST_SKIP() << "no CP932 converter on this system";
  ScopedAnsiCodec cp932(codec);

  {
    TMemIniFile ini(name);
    ini.WriteString(u"S", u"k", u"日本\uff76");  // representable: stays in CP932, no mark
    ini.UpdateFile();
  }
  EXPECT_EQ(Read(), "[S]\r\nk=\x93\xfa\x96\x7b\xb6\r\n\r\n");
  {
    TMemIniFile ini(name);
    EXPECT_EQ(ini.ReadString(u"S", u"k", u""), u"日本\uff76");
    ini.WriteString(u"S", u"k2", u"한\U0001F600");
    ini.UpdateFile();
    EXPECT_EQ(ini.GetEncoding(), TMemIniFile::Encoding::Utf8);
  }
  EXPECT_EQ(Read().substr(0, 3), "\xef\xbb\xbf");
  TMemIniFile back(name);
  EXPECT_EQ(back.ReadString(u"S", u"k", u""), u"日本\uff76");
  EXPECT_EQ(back.ReadString(u"S", u"k2", u""), u"한\U0001F600");
}

TEST_F(IniFixture, UnreadableFileRaisesTheOpenMessage) {
  std::filesystem::create_directory(path);  // exists, but is no file
  try {
    TMemIniFile ini(name);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    const UnicodeString prefix = u"ファイル " + name + u" は開けません。 ";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size() + 1);  // the system's text follows
    EXPECT_EQ(e.Message().back(), u' ');
  }
}

TEST_F(IniFixture, FailedWriteRaisesAndLeavesTheOldFileAlone) {
  Write("[S]\r\nk=old\r\n");
  TMemIniFile ini(name);
  ini.WriteString(u"S", u"k", u"new");
  // The folder disappears and a file takes its place: nothing can be created there.
  std::filesystem::rename(dir.Path(), dir.Path().string() + ".moved");
  WriteBytes(dir.Path(), "blocker");
  try {
    ini.UpdateFile();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    const UnicodeString prefix = u"ファイル \"" + name + u"\" を作成できません。";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size());
  }
  std::filesystem::remove(dir.Path());
  std::filesystem::rename(dir.Path().string() + ".moved", dir.Path());
  EXPECT_EQ(Read(), "[S]\r\nk=old\r\n");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(IniFixture, SavingOverADirectoryFailsWithoutHarm) {
  TMemIniFile ini(name);
  std::filesystem::create_directory(path);
  ini.WriteString(u"S", u"k", u"v");
  EXPECT_THROW(ini.UpdateFile(), Exception);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}
