// The connection drops at each call position of a command in turn: the command never crashes,
// shows its one warning, and leaves the tree, its tables and the bookmark list sound.
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "ModalSteps.h"
#include "bookmarks/BookmarkItem.h"
#include "bookmarks/FormBookmarkItemEdit.h"

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

  std::vector<std::string> InMemory() {
    std::vector<std::string> out;
    for (const auto& b : form->GetConfig().Bookmarks) out.push_back(Describe(*b));
    return out;
  }
  static std::vector<std::string> OnDisk() {
    TConfig saved;
    saved.Load(TConfig::GetFileName());
    std::vector<std::string> out;
    for (const auto& b : saved.Bookmarks) out.push_back(Describe(*b));
    return out;
  }
  // The file holds the list in memory and the nodes show it, one for each in its order.
  void ExpectListSavedAndShown() {
    EXPECT_EQ(OnDisk(), InMemory());
    std::vector<std::string> nodes, expected;
    for (int i = 0; i < form->BookmarkRoot()->childCount(); ++i) {
      nodes.push_back(Q8(form->BookmarkRoot()->child(i)->text(0)));
    }
    for (const auto& b : form->GetConfig().Bookmarks) expected.push_back(U8(b->GetDisplayText()));
    EXPECT_EQ(nodes, expected);
  }

  // Runs a bookmark command as its menu entry does, with the first bookmark selected and the
  // edit dialog answered by `dialog`; returns how many modal widgets opened.
  size_t RunCommand(QAction* action, ModalAnswers::Step dialog) {
    form->TreeViewBook->setCurrentItem(form->BookmarkRoot()->child(0));
    ModalAnswers answers({std::move(dialog)});
    emit form->PopupMenuTreeView->aboutToShow();
    action->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    return answers.StepsRun();
  }

  // Runs `command(true)` once cleanly to count its calls, then `command(false)` once per call
  // position with the connection dropped there, checking `after` each time. The bookmark list
  // never changes. Returns the number of positions.
  size_t DropAtEveryCall(const std::function<void(bool clean)>& command,
                         const std::function<void(size_t position)>& after) {
    const std::vector<std::string> list = InMemory();
    server.ClearFaults();
    server.ClearCalls();
    command(true);
    const size_t count = server.CallCount();
    EXPECT_GT(count, 0u);
    for (size_t position = 0; position < count; ++position) {
      SCOPED_TRACE("connection dropped at call " + std::to_string(position) + " of " +
                   std::to_string(count));
      server.ClearFaults();
      server.ClearCalls();
      warnings.boxes.clear();
      server.DropAtCall(position);
      command(false);
      after(position);
      server.ClearFaults();
      EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass stayed";
      EXPECT_EQ(InMemory(), list);
      ExpectListSavedAndShown();
    }
    server.ClearFaults();
    return count;
  }
  bool IsBringToFront(size_t position) const {
    return position < server.calls.size() && server.calls[position].object == "Window";
  }
  void ExpectOneDroppedWarning() {
    ASSERT_EQ(warnings.boxes.size(), 1u);
    EXPECT_EQ(Q8(warnings.boxes[0].text), U8(AutomationServer::DroppedMessage()));
  }
};

TEST_F(SpreadsheetFault, Reload) {
  SetUpServer();
  StartForm();
  const size_t positions = DropAtEveryCall([&](bool) { form->ActionBookReloadExecute(); },
                                           [&](size_t) {
                                             ExpectOneDroppedWarning();
                                             ExpectTablesMatchTree();
                                           });
  std::printf("reload: %zu call positions\n", positions);
  // And the next reload, with the spreadsheet back, is whole again.
  warnings.boxes.clear();
  form->ActionBookReloadExecute();
  EXPECT_TRUE(warnings.boxes.empty());
  EXPECT_EQ(BookNodes(), (std::vector<std::string>{"A.xlsx[S1,S2]", "B.xlsx[T1]", "C.xlsx[]"}));
}

TEST_F(SpreadsheetFault, JumpToASheetAndToABookmark) {
  SetUpServer();
  StartForm();
  const auto sheets = BookNodes();
  QTreeWidgetItem* sheetNode = form->TreeViewBook->topLevelItem(1)->child(1);
  QTreeWidgetItem* bookmarkNode = form->BookmarkRoot()->child(0);
  for (QTreeWidgetItem* node : {sheetNode, bookmarkNode}) {
    const size_t positions = DropAtEveryCall(
        [&](bool) { DoubleClick(node); },
        [&](size_t position) {
          if (IsBringToFront(position)) {
            // Finding the window cannot fail: by then every call went through.
            EXPECT_TRUE(warnings.boxes.empty());
            return;
          }
          ExpectOneDroppedWarning();
          EXPECT_EQ(Q8(form->GetStatusText()), U8(AutomationServer::DroppedMessage()));
          EXPECT_EQ(BookNodes(), sheets);  // a jump never changes the tree
          ExpectTablesMatchTree();
        });
    std::printf("jump: %zu call positions\n", positions);
  }
}

// Every call of both commands comes before their dialog opens: a drop anywhere means a
// warning and no dialog, so nothing can be confirmed.
TEST_F(SpreadsheetFault, AddAndChangeABookmark) {
  SetUpServer();
  StartForm();
  const auto sheets = BookNodes();
  for (QAction* action : {form->ActionBookmarkInsert, form->ActionBookmarkUpdate}) {
    SCOPED_TRACE(Q8(action->text()));
    size_t dialogs = 0;
    const size_t positions = DropAtEveryCall(
        [&](bool clean) { dialogs = RunCommand(action, clean ? Cancel() : Confirm()); },
        [&](size_t) {
          EXPECT_EQ(dialogs, 0u) << "the dialog opened on a dropped connection";
          ExpectOneDroppedWarning();
          EXPECT_EQ(BookNodes(), sheets);
          ExpectTablesMatchTree();
        });
    std::printf("%s: %zu call positions\n", Q8(action->text()).c_str(), positions);
  }
}

// The dialog's handlers fail while it is open: each shows the warning and leaves the dialog
// open and usable. Cancel then changes nothing; OK either refuses what the failure left
// incomplete or stores exactly what the dialog shows.
TEST_F(SpreadsheetFault, EditDialogHandlers) {
  SetUpServer();
  StartForm();
  struct Handler {
    const char* name;
    std::function<void(TFormBookmarkItemEdit&)> run;
  };
  const std::vector<Handler> handlers = {
      {"workbook chosen", [](auto& d) { QTest::keyClick(d.ComboBoxBook, Qt::Key_Down); }},
      {"worksheet chosen", [](auto& d) { QTest::keyClick(d.ComboBoxWorksheet, Qt::Key_Down); }},
      {"reference", [](auto& d) { QTest::mouseClick(d.BtnReffer, Qt::LeftButton); }},
  };
  for (const Handler& handler : handlers) {
    SCOPED_TRACE(handler.name);
    size_t count = 0;
    warnings.boxes.clear();
    ASSERT_EQ(RunCommand(form->ActionBookmarkInsert,
                         [&](QWidget* modal) {
                           server.ClearCalls();
                           handler.run(*EditDialog(modal));
                           count = server.CallCount();
                           EXPECT_TRUE(warnings.boxes.empty());
                           Cancel()(modal);
                         }),
              1u);
    ASSERT_GT(count, 0u);
    size_t stored = 0, refused = 0;
    for (size_t position = 0; position < count; ++position) {
      for (const bool ok : {false, true}) {
        SCOPED_TRACE("connection dropped at call " + std::to_string(position) + " of " +
                     std::to_string(count) + (ok ? ", then OK" : ", then Cancel"));
        std::vector<std::string> expected = InMemory();
        warnings.boxes.clear();
        const size_t dialogs = RunCommand(form->ActionBookmarkInsert, [&](QWidget* modal) {
          TFormBookmarkItemEdit* dialog = EditDialog(modal);
          ASSERT_NE(dialog, nullptr);
          server.ClearCalls();
          server.DropAtCall(position);
          handler.run(*dialog);
          server.ClearFaults();
          if (IsBringToFront(position)) {
            // The reference's last call only brings the window forward, and cannot fail.
            EXPECT_TRUE(warnings.boxes.empty());
          } else {
            ExpectOneDroppedWarning();
          }
          EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass stayed";
          EXPECT_EQ(QApplication::activeModalWidget(), dialog);
          if (ok) {
            const auto shown = dialog->CreateBookmarkItem();
            const size_t before = warnings.boxes.size();
            dialog->BtnOk->click();
            if (dialog->isVisible()) {
              EXPECT_EQ(warnings.boxes.size(), before + 1) << "OK neither refused nor stored";
              ++refused;
            } else {
              expected.push_back(Describe(*shown));
              ++stored;
            }
          }
          if (dialog->isVisible()) dialog->BitBtn2->click();
        });
        EXPECT_EQ(dialogs, 1u);
        EXPECT_EQ(InMemory(), expected);
        ExpectListSavedAndShown();
      }
    }
    std::printf("edit dialog, %s: %zu call positions; OK stored %zu and refused %zu\n",
                handler.name, count, stored, refused);
  }
}

}  // namespace
}  // namespace kestrine::test
