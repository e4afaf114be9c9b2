#include "app/FormAboutBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <map>

#include "QtTestSupport.h"
#include "WarningBoxes.h"
#include "app/AppInfo.h"
#include "base/Exception.h"
#include "support/AutomationServer.h"

namespace kestrine::test {
namespace {

// A version resource made up by the test; it records the sub-blocks asked for.
class FakeVersionData : public app::TVersionData {
 public:
  FakeVersionData(std::uint32_t translation, std::map<UnicodeString, UnicodeString> strings,
                  std::vector<UnicodeString>* queries)
      : translation_(translation), strings_(std::move(strings)), queries_(queries) {}
  std::uint32_t Translation() const override { return translation_; }
  std::optional<UnicodeString> QueryString(const UnicodeString& subBlock) const override {
    if (queries_) queries_->push_back(subBlock);
    const auto it = strings_.find(subBlock);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::uint32_t translation_;
  std::map<UnicodeString, UnicodeString> strings_;
  std::vector<UnicodeString>* queries_;
};

// Replaces the program's version resource for its lifetime.
class ScopedVersionData {
 public:
  explicit ScopedVersionData(app::VersionDataReader reader)
      : previous_(app::SetVersionDataReader(std::move(reader))) {}
  ~ScopedVersionData() { app::SetVersionDataReader(std::move(previous_)); }

 private:
  app::VersionDataReader previous_;
};

std::vector<QString> AllTexts(const QWidget& box) {
  std::vector<QString> texts{box.windowTitle()};
  for (const QLabel* label : box.findChildren<QLabel*>()) texts.push_back(label->text());
  for (const QAbstractButton* b : box.findChildren<QAbstractButton*>()) texts.push_back(b->text());
  return texts;
}

TEST(TkAppInfoTest, ReadsTheCompiledInStringTable) {
  const TkAppInfo info;
  EXPECT_EQ(info.GetTranslation(), 0x03A40411u);
  const std::pair<int, const char*> expected[] = {
      {0, "Excelで開いている任意のシートやセルを簡単に参照する"},
      {1, "Quorvane"},
      {2, ""},
      {3, "0.2.3.0"},
      {4, ""},
      {5, "Quorvane"},
      {6, ""},
      {7, ""},
      {8, ""},  // no PrivateBuild in the table
      {9, "Kestrine"},
      {10, "1.0.0.0"},
      {11, ""},
      {-1, ""},
  };
  for (const auto& [index, value] : expected) {
    EXPECT_EQ(U8(info.GetVersionString(index)), value) << "index " << index;
  }
}

TEST(TkAppInfoTest, AsksForTheStringTableOfTheStoredTranslation) {
  std::vector<UnicodeString> queries;
  const ScopedVersionData fake([&] {
    return std::make_unique<FakeVersionData>(
        0x04B00409u,
        std::map<UnicodeString, UnicodeString>{
            {u"\\StringFileInfo\\040904B0\\FileVersion", u"9.8"}},
        &queries);
  });
  const TkAppInfo info;
  EXPECT_EQ(U8(info.GetVersionString(TkAppInfo::FileVersion)), "9.8");
  EXPECT_EQ(U8(info.GetVersionString(TkAppInfo::LegalCopyright)), "");
  EXPECT_EQ(queries, (std::vector<UnicodeString>{u"\\StringFileInfo\\040904B0\\FileVersion",
                                                 u"\\StringFileInfo\\040904B0\\LegalCopyright"}));
}

TEST(FormAboutBoxTest, ShowsTitleVersionRightsHolderAndDescription) {
  TFormAboutBox box;
  EXPECT_EQ(Q8(box.windowTitle()), "バージョン情報");
  EXPECT_EQ(Q8(box.ProductName->text()), "Kestrine");
  EXPECT_EQ(Q8(box.Version->text()), "バージョン 0.2.3.0");
  EXPECT_EQ(Q8(box.Copyright->text()), "(C) Quorvane");
  EXPECT_EQ(Q8(box.Comments->text()), "Excelで開いている任意のシートやセルを簡単に参照する");
  for (const QString& text : AllTexts(box)) {
    EXPECT_FALSE(text.contains(QStringLiteral("1.0.0.0"))) << Q8(text);
  }
}

TEST(FormAboutBoxTest, MissingKeysLeaveThePrefixesWithExactlyOneBlank) {
  const ScopedVersionData fake([] {
    return std::make_unique<FakeVersionData>(0x03A40411u, std::map<UnicodeString, UnicodeString>{},
                                             nullptr);
  });
  TFormAboutBox box;
  EXPECT_EQ(Q8(box.Version->text()), "バージョン ");
  EXPECT_EQ(Q8(box.Copyright->text()), "(C) ");
  EXPECT_EQ(Q8(box.Comments->text()), "");
}

TEST(FormAboutBoxTest, EveryBoxReadsTheResourceAnew) {
  int reads = 0;
  const ScopedVersionData counting([&] {
    ++reads;
    return app::ReadProgramVersionData();
  });
  { TFormAboutBox first; }
  { TFormAboutBox second; }
  EXPECT_EQ(reads, 2);
}

TEST(FormAboutBoxTest, UnreadableResourceRaisesAndNoBoxIsMade) {
  const ScopedVersionData none([] { return std::unique_ptr<app::TVersionData>(); });
  for (const auto& make : {std::function<void()>([] { TkAppInfo info; }),
                           std::function<void()>([] { TFormAboutBox box; })}) {
    try {
      make();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(U8(e.Message()), "バージョン情報を取得できません");
    }
  }
}

TEST(FormAboutBoxTest, OkCloses) {
  TFormAboutBox box;
  ModalAnswers driver({[&](QWidget*) { QTest::keyClick(&box, Qt::Key_Return); }});
  EXPECT_EQ(box.exec(), QDialog::Accepted);
}

}  // namespace
}  // namespace kestrine::test
