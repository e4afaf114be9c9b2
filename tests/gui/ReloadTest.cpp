// The book tree and its two tables, as the reload builds them from the automation server.
#include <QApplication>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "app/QtText.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kNoConnection[] = "Excelに接続できませんでした。";
const char kLoaded[] = "ブックを読み込みました。";

class ReloadTest : public GuiTest {
 protected:
  void AddBookmark(TConfig& config, const char* book, const char* sheet) {
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", U(book), U(sheet), 0, 0));
  }
  std::vector<bool> BookmarkNodesEnabled() const {
    std::vector<bool> out;
    const QTreeWidgetItem* root = form->BookmarkRoot();
    for (int i = 0; i < root->childCount(); ++i)
      out.push_back(TFormMain::IsNodeEnabled(root->child(i)));
    return out;
  }
  std::string SheetEntry(int number) const {
    const auto& entry = form->GetSheetTable().at(number);
    return U8(entry.first) + "!" + U8(entry.second);
  }
};

TEST_F(ReloadTest, ListsVisibleSheetsNumberedInTreeOrder) {
  server.AddBook("A.xlsx", {"S1", "S2", "S3", "S4"});
  server.books[0].sheets[1].visible = 0;  // hidden
  server.books[0].sheets[3].visible = 2;  // hidden so that the user cannot show it
  server.AddBook("B.xlsx", {"T1"});
  server.AddBook("C.xlsx", {"H"}).sheets[0].visible = 0;
  server.Register();
  WriteConfig([&](TConfig& c) {
    AddBookmark(c, "B.xlsx", "T1");
    AddBookmark(c, "b.xlsx", "T1");  // names compare exactly
    AddBookmark(c, "Z.xlsx", "S");
    AddBookmark(c, "A.xlsx", "S2");  // the workbook decides, not the sheet
  });
  StartForm();

  EXPECT_THAT(BookNodes(), ElementsAre("A.xlsx[S1,S3]", "B.xlsx[T1]", "C.xlsx[]"));
  EXPECT_EQ(SheetEntry(1), "A.xlsx!S1");
  EXPECT_EQ(SheetEntry(2), "A.xlsx!S3");
  EXPECT_EQ(SheetEntry(3), "B.xlsx!T1");
  ExpectTablesMatchTree();
  EXPECT_EQ(Q8(form->GetStatusText()), kLoaded);
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(true, false, false, true));
  EXPECT_THAT(warnings.boxes, IsEmpty());

  // Everything is expanded, the root included; book and sheet nodes carry their images.
  QTreeWidget* tree = form->TreeViewBook;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    if (tree->topLevelItem(i)->childCount()) {
      EXPECT_TRUE(tree->topLevelItem(i)->isExpanded());
    }
  }
  EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("ブックマーク"));
  EXPECT_FALSE(tree->topLevelItem(1)->icon(0).isNull());
  EXPECT_FALSE(tree->topLevelItem(1)->child(0)->icon(0).isNull());
  EXPECT_TRUE(tree->updatesEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ReloadTest, MakesFourCallsPerBookThreePerSheetAndOneMoreForAVisibleName) {
  server.AddBook("A.xlsx", {"S1", "S2"}).sheets[1].visible = 0;
  server.AddBook("B.xlsx", {});
  server.Register();
  StartForm();
  server.ClearCalls();

  form->ActionBookReloadExecute();

  EXPECT_THAT(server.CallStrings(),
              ElementsAre("Application.Workbooks()", "Workbooks.Count()", "Workbooks.item(1)",
                          "Workbook(A.xlsx).Name()", "Workbook(A.xlsx).WorkSheets()",
                          "Worksheets(A.xlsx).Count()", "Workbook(A.xlsx).WorkSheets()",
                          "Worksheets(A.xlsx).item(1)", "Worksheet(A.xlsx!S1).Visible()",
                          "Worksheet(A.xlsx!S1).Name()", "Workbook(A.xlsx).WorkSheets()",
                          "Worksheets(A.xlsx).item(2)", "Worksheet(A.xlsx!S2).Visible()",
                          "Workbooks.item(2)", "Workbook(B.xlsx).Name()",
                          "Workbook(B.xlsx).WorkSheets()", "Worksheets(B.xlsx).Count()"));
}

TEST_F(ReloadTest, FailureMidwayKeepsWhatWasBuiltAndTheTablesTrue) {
  server.AddBook("A.xlsx", {"S1"});
  server.Register();
  WriteConfig([&](TConfig& c) { AddBookmark(c, "B.xlsx", "T1"); });
  StartForm();
  ASSERT_THAT(BookmarkNodesEnabled(), ElementsAre(false));

  server.books.clear();
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.AddBook("B.xlsx", {"T1", "T2", "T3"});
  server.FailCallsMatching("Worksheet(B.xlsx!T2).Name", u"名前を取得できません。");
  form->SetStatusText(QStringLiteral("before"));
  form->ActionBookReloadExecute();

  EXPECT_THAT(warnings.Texts(), ElementsAre("名前を取得できません。"));
  EXPECT_TRUE(warnings.boxes[0].hourglass);
  EXPECT_THAT(BookNodes(), ElementsAre("A.xlsx[S1,S2]", "B.xlsx[T1]"));
  ExpectTablesMatchTree();
  EXPECT_EQ(form->GetSheetTable().size(), 3u);
  // Nothing after the failure: no expanding, no status text, no new enabled states.
  EXPECT_FALSE(form->TreeViewBook->topLevelItem(1)->isExpanded());
  EXPECT_FALSE(form->TreeViewBook->topLevelItem(2)->isExpanded());
  EXPECT_EQ(Q8(form->GetStatusText()), "before");
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(false));
  EXPECT_TRUE(form->TreeViewBook->updatesEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ReloadTest, NoSpreadsheetAtStartLeavesOnlyTheBookmarks) {
  WriteConfig([&](TConfig& c) { AddBookmark(c, "A.xlsx", "S1"); });
  StartForm();

  ASSERT_EQ(warnings.boxes.size(), 1u);
  EXPECT_EQ(Q8(warnings.boxes[0].text), kNoConnection);
  EXPECT_TRUE(warnings.boxes[0].hourglass);
  EXPECT_EQ(Q8(form->GetStatusText()), kNoConnection);
  EXPECT_EQ(form->TreeViewBook->topLevelItemCount(), 1);
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(false));
  EXPECT_THAT(form->GetSheetTable(), IsEmpty());
  EXPECT_THAT(form->GetNodeTable(), IsEmpty());
}

TEST_F(ReloadTest, SpreadsheetGoneSinceTheLastReloadChangesNothing) {
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.Register();
  WriteConfig([&](TConfig& c) { AddBookmark(c, "A.xlsx", "S1"); });
  StartForm();
  const auto tableBefore = form->GetSheetTable();

  server.Revoke();
  form->ActionBookReloadExecute();

  EXPECT_THAT(warnings.Texts(), ElementsAre(kNoConnection));
  EXPECT_EQ(Q8(form->GetStatusText()), kNoConnection);
  EXPECT_THAT(BookNodes(), ElementsAre("A.xlsx[S1,S2]"));
  EXPECT_EQ(form->GetSheetTable(), tableBefore);
  ExpectTablesMatchTree();
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(true));
}

TEST_F(ReloadTest, ConnectionLostDuringTheRebuild) {
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.Register();
  StartForm();
  server.ClearCalls();
  server.DropAtCall(11);  // the second sheet's item

  form->ActionBookReloadExecute();

  EXPECT_THAT(warnings.Texts(), ElementsAre(U8(AutomationServer::DroppedMessage())));
  EXPECT_THAT(BookNodes(), ElementsAre("A.xlsx[S1]"));
  ExpectTablesMatchTree();
}

TEST_F(ReloadTest, TwoReloadsInARowGiveTheSameTreeAndNumbers) {
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.AddBook("B.xlsx", {"T1"});
  server.Register();
  WriteConfig([&](TConfig& c) {
    AddBookmark(c, "B.xlsx", "T1");
    AddBookmark(c, "Q.xlsx", "T1");
  });
  StartForm();
  const auto books = BookNodes();
  const auto table = form->GetSheetTable();
  const QTreeWidgetItem* firstBookmark = form->BookmarkRoot()->child(0);

  form->ActionBookReloadExecute();

  EXPECT_EQ(BookNodes(), books);
  EXPECT_EQ(form->GetSheetTable(), table);
  ExpectTablesMatchTree();
  // Bookmark nodes are not rebuilt by the reload: same nodes, same place, same text.
  ASSERT_EQ(form->BookmarkRoot()->childCount(), 2);
  EXPECT_EQ(form->BookmarkRoot()->child(0), firstBookmark);
  EXPECT_EQ(form->BookmarkRoot()->child(1)->text(0), QStringLiteral("Q.xlsx!T1[A:1]"));
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(true, false));
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(ReloadTest, NoWorkbookOpenEmptiesTheTreeAndDisablesEveryBookmark) {
  server.AddBook("A.xlsx", {"S1"});
  server.Register();
  WriteConfig([&](TConfig& c) { AddBookmark(c, "A.xlsx", "S1"); });
  StartForm();
  ASSERT_THAT(BookmarkNodesEnabled(), ElementsAre(true));

  server.books.clear();
  form->SetStatusText(QStringLiteral("before"));
  form->ActionBookReloadExecute();

  EXPECT_THAT(BookNodes(), IsEmpty());
  EXPECT_THAT(form->GetSheetTable(), IsEmpty());
  EXPECT_THAT(form->GetNodeTable(), IsEmpty());
  EXPECT_EQ(Q8(form->GetStatusText()), kLoaded);
  EXPECT_THAT(BookmarkNodesEnabled(), ElementsAre(false));
}

}  // namespace
}  // namespace kestrine::test
