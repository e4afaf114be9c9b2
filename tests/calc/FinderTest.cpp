// The finder of the real program against a real office: a Japanese query and Enter, and the
// office shows that sheet.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include "GuiFixture.h"
#include "Office.h"
#include "app/FormFinder.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CalcFinderTest : public GuiTest {};

TEST_F(CalcFinderTest, JapaneseQueryAndEnterShowThatSheetInTheOffice) {
  kestrine::calc::Office office("finder");
  office.OpenSamples();
  StartForm();
  ASSERT_THAT(warnings.boxes, IsEmpty());

  form->ActionFinder->trigger();
  TFormFinder& finder = *form->GetFinder();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&finder));
  // Full-width digit and blank, as a Japanese input method commits them.
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("６月　後"));
  QApplication::sendEvent(finder.EditQuery, &commit);
  std::vector<std::string> rows;
  for (const int i : finder.Shown())
    rows.push_back(Q8(finder.Row(i).book + "!" + finder.Row(i).text));
  EXPECT_THAT(rows, ElementsAre("予定表.xlsx!6月 後半"));

  QTest::keyClick(finder.EditQuery, Qt::Key_Return);
  EXPECT_FALSE(finder.isVisible());
  EXPECT_THAT(warnings.boxes, IsEmpty());
  EXPECT_EQ(U8(office.CurrentTitle()), "予定表.xlsx");
  EXPECT_EQ(U8(office.ActiveSheetName(u"予定表.xlsx")), "6月 後半");
}

}  // namespace
}  // namespace kestrine::test
