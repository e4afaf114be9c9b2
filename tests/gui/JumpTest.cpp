// Double clicks in the tree and the activation in the spreadsheet they lead to.
#include <QApplication>
#include <QTreeWidget>

#include "GuiFixture.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class JumpTest : public GuiTest {
 protected:
  // A.xlsx {S1, S2, Hidden (hidden)}, B.xlsx {T1}; the active cell is A.xlsx!S1 at D4.
  void SetUpServer() {
    server.AddBook("A.xlsx", {"S1", "S2", "Hidden"}).sheets[2].visible = 0;
    server.AddBook("B.xlsx", {"T1"});
    server.SetActive(u"A.xlsx", u"S1", 4, 4);
    server.Register();
  }
  QTreeWidgetItem* Book(int i) const { return form->TreeViewBook->topLevelItem(i); }
  QTreeWidgetItem* Bookmark(int i) const { return form->BookmarkRoot()->child(i); }
};

TEST_F(JumpTest, SheetNodeActivatesBookAndSheetAndLeavesTheCell) {
  SetUpServer();
  StartForm();
  server.ClearCalls();

  DoubleClick(Book(1)->child(1));

  EXPECT_EQ(server.ActiveCell(), "A.xlsx!S2 R4C4");
  EXPECT_EQ(server.bringToFrontCount, 1);
  EXPECT_THAT(server.CallStrings(),
              ElementsAre("Application.Workbooks()", "Workbooks.item(\"A.xlsx\")",
                          "Workbook(A.xlsx).Activate()", "Workbook(A.xlsx).WorkSheets()",
                          "Worksheets(A.xlsx).item(\"S2\")", "Worksheet(A.xlsx!S2).Activate()",
                          "Window.BringToFront()"));
  EXPECT_THAT(warnings.boxes, IsEmpty());
  EXPECT_EQ(Q8(form->GetStatusText()), "ブックを読み込みました。");
}

TEST_F(JumpTest, BookmarkNodeSelectsItsCell) {
  struct Case {
    int column, row;
    const char* expected;
  };
  for (const Case& c : {Case{2, 9, "A.xlsx!S2 R10C3"}, Case{0, 0, "A.xlsx!S2 R1C1"}}) {
    SCOPED_TRACE(c.expected);
    WriteConfig([&](TConfig& config) {
      config.Bookmarks.push_back(
          std::make_unique<TBookmarkItem>(u"", u"A.xlsx", u"S2", c.column, c.row));
    });
    server.books.clear();
    SetUpServer();
    StartForm();

    DoubleClick(Bookmark(0));

    EXPECT_EQ(server.ActiveCell(), c.expected);
    EXPECT_EQ(server.bringToFrontCount, 1);
    server.bringToFrontCount = 0;
    form.reset();
  }
}

TEST_F(JumpTest, NodesThatLeadNowhereDoNothing) {
  WriteConfig([&](TConfig& config) {
    // Workbook not listed: a greyed node.
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"Z.xlsx", u"S1", 0, 0));
    // Workbook listed but the sheet is hidden: enabled, and still no jump.
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"A.xlsx", u"Hidden", 0, 0));
  });
  SetUpServer();
  StartForm();
  ASSERT_FALSE(TFormMain::IsNodeEnabled(Bookmark(0)));
  ASSERT_TRUE(TFormMain::IsNodeEnabled(Bookmark(1)));

  for (QTreeWidgetItem* node : {Bookmark(0), Bookmark(1), form->BookmarkRoot(), Book(1), Book(2)}) {
    SCOPED_TRACE(Q8(node->text(0)));
    // Start from a selected sheet: a double click on a greyed node must not fall back to it.
    form->TreeViewBook->setCurrentItem(Book(2)->child(0));
    server.ClearCalls();
    DoubleClick(node);
    EXPECT_THAT(server.CallStrings(), IsEmpty());
  }
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(JumpTest, EmptySpaceJumpsToTheSelectedSheet) {
  SetUpServer();
  StartForm();
  form->TreeViewBook->setCurrentItem(Book(2)->child(0));

  DoubleClickEmptySpace();

  EXPECT_EQ(server.ActiveCell(), "B.xlsx!T1 R4C4");
  EXPECT_EQ(server.bringToFrontCount, 1);
}

TEST_F(JumpTest, SheetRenamedSinceTheReload) {
  SetUpServer();
  StartForm();
  server.books[1].sheets[0].name = u"Renamed";

  DoubleClick(Book(2)->child(0));

  // The workbook is already active when the sheet lookup fails; Excel is not brought forward.
  EXPECT_EQ(server.activeBook, 1);
  EXPECT_EQ(server.bringToFrontCount, 0);
  ASSERT_EQ(warnings.boxes.size(), 1u);
  EXPECT_EQ(Q8(warnings.boxes[0].text), "インデックスが有効範囲にありません。");
  EXPECT_FALSE(warnings.boxes[0].hourglass);
  // The message reaches the status bar after the box has been closed.
  EXPECT_EQ(Q8(warnings.boxes[0].statusText), "ブックを読み込みました。");
  EXPECT_EQ(Q8(form->GetStatusText()), "インデックスが有効範囲にありません。");
  // The jump changed nothing in the window.
  EXPECT_THAT(BookNodes(), ElementsAre("A.xlsx[S1,S2]", "B.xlsx[T1]"));
}

TEST_F(JumpTest, SpreadsheetGone) {
  SetUpServer();
  StartForm();
  server.Revoke();

  DoubleClick(Book(1)->child(0));

  EXPECT_THAT(warnings.Texts(), ElementsAre("Excelに接続できませんでした。"));
  EXPECT_FALSE(warnings.boxes[0].hourglass);
  EXPECT_EQ(Q8(form->GetStatusText()), "Excelに接続できませんでした。");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kestrine::test
