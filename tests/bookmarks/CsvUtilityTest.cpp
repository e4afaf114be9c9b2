#include <gtest/gtest.h>

#include "base/UnicodeString.h"
#include "bookmarks/CsvUtility.h"

TEST(ColumnLetters, WorkedValuesBothWays) {
  const std::pair<int, const char16_t*> cases[] = {{0, u"A"},     {25, u"Z"},    {26, u"AA"},
                                                   {51, u"AZ"},   {52, u"BA"},   {701, u"ZZ"},
                                                   {702, u"AAA"}, {16383, u"XFD"}};
  for (const auto& [index, letters] : cases) {
    EXPECT_EQ(TCsvUtility::IndexToColumnLetters(index), letters) << index;
    EXPECT_EQ(TCsvUtility::ColumnLettersToIndex(letters), index) << index;
  }
}

TEST(ColumnLetters, EveryColumnRoundTrips) {
  for (int i = 0; i < 16384; ++i) {
    ASSERT_EQ(TCsvUtility::ColumnLettersToIndex(TCsvUtility::IndexToColumnLetters(i)), i);
  }
}

TEST(ColumnLetters, LettersToIndexAcceptsLowerCaseAndRejectsTheRest) {
  const std::pair<const char16_t*, int> cases[] = {
      {u"a", 0},         {u"az", 51},      {u"xfd", 16383},   {u"xFd", 16383},
      {u"XFE", -1},      {u"", -1},        {u"A1", -1},       {u" A", -1},
      {u"A-B", -1},      {u"\uff21", -1},  {u"\uff41", -1},   {u"AAAA", -1},
      {u"ZZZZZZZ", -1},  {u"ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ", -1},
      {u"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", -1},
      {u"\u00e9", -1},   {u"\u0391", -1},
  };
  for (const auto& [letters, index] : cases) {
    EXPECT_EQ(TCsvUtility::ColumnLettersToIndex(letters), index) << kestrine::ToUtf8(letters);
  }
}

TEST(ColumnLetters, IndexOutsideTheSheetGivesNoLetters) {
  for (const int index : {-1, 16384, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(TCsvUtility::IndexToColumnLetters(index), u"") << index;
  }
}
