// TkAppInfo over the real VERSIONINFO of this executable.
#include <gtest/gtest.h>

#include "app/AppInfo.h"

TEST(Win32AppInfo, ReadsTheVersionBoxTextsFromTheExecutable) {
  const TkAppInfo info;
  EXPECT_EQ(info.GetTranslation(), 0x03A40411u);
  EXPECT_EQ(info.GetVersionString(TkAppInfo::FileVersion), u"0.2.3.0");
  EXPECT_EQ(info.GetVersionString(TkAppInfo::Comments),
            u"Excelで開いている任意のシートやセルを簡単に参照する");
  EXPECT_EQ(u"(C) " + info.GetVersionString(TkAppInfo::LegalCopyright), u"(C) Quorvane");
  EXPECT_EQ(info.GetVersionString(TkAppInfo::ProductVersion), u"1.0.0.0");
  EXPECT_EQ(info.GetVersionString(TkAppInfo::PrivateBuild), u"");  // not in the table
  EXPECT_EQ(info.GetVersionString(11), u"");
}
