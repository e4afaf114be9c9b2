// The connection drops at each call position of a command in turn: the command never crashes,
// shows its one warning, and leaves the tree, its tables and the bookmark list sound.
#include <QApplication>
#include <QTreeWidget>

#include "GuiFixture.h"

namespace kestrine::test {
namespace {

class SpreadsheetFault : public GuiTest {
 protected:
  void SetUpServer() {
    server.AddBook("A.xlsx", {"S1", "S2", "Hidden"}).sheets[2].visible = 0;
    server.AddBook("B.xlsx", {"T1"});
    server.AddBook("C.xlsx", {});
    server.SetActive(u"A.xlsx", u"S1", 3, 7);
    server.Register();
    WriteConfig([](TConfig& c) {
      c.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"m", u"B.xlsx", u"T1", 2, 4));
    });
  }

  // Runs `command` once cleanly to count its calls, then once per call position with the
  // connection dropped there, checking `after` each time. Returns the number of positions.
  size_t DropAtEveryCall(const std::function<void()>& command,
                         const std::function<void(size_t position)>& after) {
    server.ClearFaults();
    server.ClearCalls();
    command();
    const size_t count = server.CallCount();
    EXPECT_GT(count, 0u);
    for (size_t position = 0; position < count; ++position) {
      SCOPED_TRACE("connection dropped at call " + std::to_string(position) + " of " +
                   std::to_string(count));
      server.ClearFaults();
      server.ClearCalls();
      warnings.clear();
      server.DropAtCall(position);
      command();
      after(position);
      server.ClearFaults();
      EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass stayed";
      EXPECT_EQ(form->GetConfig().Bookmarks.size(), 1u);
    }
    server.ClearFaults();
    return count;
  }
  bool IsBringToFront(size_t position) const {
    return position < server.calls.size() && server.calls[position].object == "Window";
  }
};

TEST_F(SpreadsheetFault, Reload) {
  SetUpServer();
  StartForm();
  const size_t positions = DropAtEveryCall([&] { form->ActionBookReloadExecute(); }, [&](size_t) {
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(Q8(warnings[0].text), U8(AutomationServer::DroppedMessage()));
    ExpectTablesMatchTree();
  });
  std::printf("reload: %zu call positions\n", positions);
  // And the next reload, with the spreadsheet back, is whole again.
  warnings.clear();
  form->ActionBookReloadExecute();
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(BookNodes(), (std::vector<std::string>{"A.xlsx[S1,S2]", "B.xlsx[T1]", "C.xlsx[]"}));
}

TEST_F(SpreadsheetFault, JumpToASheetAndToABookmark) {
  SetUpServer();
  StartForm();
  const auto sheets = BookNodes();
  QTreeWidgetItem* sheetNode = form->TreeViewBook->topLevelItem(1)->child(1);
  QTreeWidgetItem* bookmarkNode = form->BookmarkRoot()->child(0);
  for (QTreeWidgetItem* node : {sheetNode, bookmarkNode}) {
    const size_t positions = DropAtEveryCall([&] { DoubleClick(node); }, [&](size_t position) {
      if (IsBringToFront(position)) {
        // Finding the window cannot fail: by then every call went through.
        EXPECT_TRUE(warnings.empty());
        return;
      }
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_EQ(Q8(warnings[0].text), U8(AutomationServer::DroppedMessage()));
      EXPECT_EQ(Q8(form->GetStatusText()), U8(AutomationServer::DroppedMessage()));
      EXPECT_EQ(BookNodes(), sheets);  // a jump never changes the tree
      ExpectTablesMatchTree();
    });
    std::printf("jump: %zu call positions\n", positions);
  }
}

}  // namespace
}  // namespace kestrine::test
