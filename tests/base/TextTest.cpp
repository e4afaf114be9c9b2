#include <gtest/gtest.h>

#include "base/Exception.h"
#include "base/UnicodeString.h"

using namespace kestrine;

TEST(Text, Utf8RoundTripsEveryPlaneAndRepairsBrokenInput) {
  const UnicodeString text = u"A\u00e9\u65e5\u672c\U0001F600z";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(FromUtf8("a\xff" "b"), u"a\ufffdb");
  EXPECT_EQ(FromUtf8("\xe6\x97"), u"\ufffd");  // truncated sequence
  EXPECT_EQ(FromUtf8("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
  EXPECT_EQ(ToUtf8(UnicodeString(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

struct IntCase {
  const char16_t* text;
  bool ok;
  int value;
};

TEST(Text, IntegerConversionFollowsThePlatformRules) {
  const IntCase cases[] = {
      {u"32", true, 32},          {u"  32", true, 32},       {u"+7", true, 7},
      {u"-7", true, -7},          {u"0x20", true, 32},       {u"$20", true, 32},
      {u"x20", true, 32},         {u"X1f", true, 31},        {u"0XfF", true, 255},
      {u"$FFFFFFFF", true, -1},   {u"0x80000000", true, INT32_MIN},
      {u"2147483647", true, INT32_MAX},                      {u"-2147483648", true, INT32_MIN},
      {u"2147483648", false, 0},  {u"-2147483649", false, 0}, {u"$100000000", false, 0},
      {u"00000000000000000012", true, 12},                   {u"$000000000FF", true, 255},
      {u"", false, 0},            {u" ", false, 0},          {u"-", false, 0},
      {u"$", false, 0},           {u"0x", false, 0},         {u"32abc", false, 0},
      {u"32 ", false, 0},         {u"1.5", false, 0},        {u"A", false, 0},
      {u"\t5", false, 0},         {u"\uff15", false, 0},     {u"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int value = 12345;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << ToUtf8(c.text);
    if (c.ok) {
      EXPECT_EQ(value, c.value) << ToUtf8(c.text);
    }
  }
}

TEST(Text, DecimalConversionNeverReadsHexadecimal) {
  const IntCase cases[] = {
      {u"32", true, 32},
      {u"  -7", true, -7},
      {u"+7", true, 7},
      {u"2147483647", true, INT32_MAX},
      {u"-2147483648", true, INT32_MIN},
      {u"2147483648", false, 0},
      {u"-2147483649", false, 0},
      {u"99999999999999999999", false, 0},
      {u"XFD", false, 0},
      {u"$FF", false, 0},
      {u"0x20", false, 0},
      {u"", false, 0},
      {u"-", false, 0},
      {u"32 ", false, 0},
      {u"\uff15", false, 0},
  };
  for (const auto& c : cases) {
    int value = 12345;
    EXPECT_EQ(TryDecimalToInt(c.text, value), c.ok) << ToUtf8(c.text);
    EXPECT_EQ(value, c.ok ? c.value : 12345) << ToUtf8(c.text);
  }
}

TEST(Text, SurrogatePairsAreFoundAndJoined) {
  const std::u16string_view text = u"a\U0001F600\xDC00\xD800";
  EXPECT_FALSE(IsSurrogatePairAt(text, 0));
  EXPECT_TRUE(IsSurrogatePairAt(text, 1));
  EXPECT_FALSE(IsSurrogatePairAt(text, 2));  // a low half does not start a pair
  EXPECT_FALSE(IsSurrogatePairAt(text, 3));
  EXPECT_FALSE(IsSurrogatePairAt(text, 4));  // a high half at the end has no partner
  EXPECT_EQ(CombineSurrogates(text[1], text[2]), U'\U0001F600');
  UnicodeString out;
  for (const char32_t c : {U'A', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) AppendCodePoint(out, c);
  EXPECT_EQ(out, u"A\uFFFF\U00010000\U0010FFFF");
}

TEST(Text, ChangeFileExtReplacesOnlyTheLastComponentsExtension) {
  EXPECT_EQ(ChangeFileExt(u"C:\\x\\prog.exe", u".CHM"), u"C:\\x\\prog.CHM");
  EXPECT_EQ(ChangeFileExt(u"/opt/kestrine/kestrine", u".CHM"), u"/opt/kestrine/kestrine.CHM");
  EXPECT_EQ(ChangeFileExt(u"/opt/v1.2/kestrine", u".CHM"), u"/opt/v1.2/kestrine.CHM");
  EXPECT_EQ(ChangeFileExt(u"/opt/prog.tar.gz", u".CHM"), u"/opt/prog.tar.CHM");
}

TEST(Text, FormatAndTrim) {
  EXPECT_EQ(FormatS(u"ファイル \"%s\" を作成できません。%s", {u"a.ini", u"x"}),
            u"ファイル \"a.ini\" を作成できません。x");
  EXPECT_EQ(FormatS(u"%s%s", {u"only"}), u"only%s");
  EXPECT_EQ(TrimControl(u"\x01 \t a b \r\n"), u"a b");
  EXPECT_EQ(TrimControl(u"\u3000x\u3000"), u"\u3000x\u3000");  // ideographic space stays
}

TEST(Text, ExceptionCarriesItsMessageInBothForms) {
  const Exception e(u"警告です");
  EXPECT_EQ(e.Message(), u"警告です");
  EXPECT_STREQ(e.what(), "警告です");
}
