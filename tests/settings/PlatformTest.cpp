#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/Platform.h"
#include "settings/ShellFolder.h"
#include "support/TestHelpers.h"

using namespace kestrine;

TEST(Platform, CaseRulesCoverEveryScript) {
  const std::pair<const char16_t*, const char16_t*> same[] = {
      {u"abc", u"ABC"},
      {u"\u03c3\u03bf\u03c6\u03af\u03b1", u"\u03a3\u039f\u03a6\u038a\u0391"},  // Greek
      {u"\u043f\u0440\u0438\u0432\u0435\u0442", u"\u041f\u0420\u0418\u0412\u0415\u0422"},  // Cyrillic
      {u"\uff41\uff5a", u"\uff21\uff3a"},  // full-width Latin
      {u"\u00e9t\u00e9", u"\u00c9T\u00c9"},
      {u"\U00010428", u"\U00010400"},  // Deseret, outside the BMP
  };
  for (const auto& [a, b] : same) {
    EXPECT_TRUE(platform::SameText(a, b)) << ToUtf8(a);
    EXPECT_EQ(platform::UpperCase(a), platform::UpperCase(b)) << ToUtf8(a);
  }
  EXPECT_FALSE(platform::SameText(u"a", u"\uff21"));
  EXPECT_FALSE(platform::SameText(u"Sheet1", u"Sheet2"));
  EXPECT_EQ(platform::UpperCase(u"xfd1\u65e5"), u"XFD1\u65e5");
}

TEST(Platform, SpecialFolderKinds) {
  test::ScopedConfigHome home;
  EXPECT_EQ(TSpecialFolder::GetPath(TSpecialFolder::kAppData), test::PathText(home.Path()));
  if (platform::PathSeparator() == u'/') {
    // XDG_CONFIG_HOME, which the fixture also sets, is what the system itself answers.
    EXPECT_EQ(platform::GetSpecialFolderPath(26), test::PathText(home.Path()));
  } else {
    EXPECT_FALSE(platform::GetSpecialFolderPath(26).empty());
  }
  EXPECT_EQ(TSpecialFolder::GetCsidl(0), 29);
  EXPECT_EQ(TSpecialFolder::GetCsidl(1), 26);
  EXPECT_EQ(TSpecialFolder::GetCsidl(29), 21);
  for (const int kind : {-1, 30, 1000}) {
    try {
      TSpecialFolder::GetPath(kind);
      ADD_FAILURE() << kind;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"指定されたコードが見つかりません。");
    }
  }
  for (int kind = 0; kind < 30; ++kind) EXPECT_NO_THROW(TSpecialFolder::GetPath(kind));
}

TEST(Platform, ExecutableAndErrorTexts) {
  EXPECT_FALSE(platform::ExecutablePath().empty());
  EXPECT_FALSE(platform::SystemErrorText(2).empty());
}
