// Adding, changing and deleting bookmarks from the main window, the tree's context menu and
// the hint of its nodes.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QWindow>
#include <filesystem>

#include "GuiFixture.h"
#include "ModalSteps.h"
#include "app/QtText.h"
#include "bookmarks/BookmarkItem.h"
#include "bookmarks/FormBookmarkItemEdit.h"

namespace kestrine::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const char kNoConnection[] = "Excelに接続できませんでした。";

std::unique_ptr<TBookmarkItem> Item(const char* name, const char* book, const char* sheet,
                                    int column, int row) {
  return std::make_unique<TBookmarkItem>(U(name), U(book), U(sheet), column, row);
}

class BookmarkCommandTest : public GuiTest {
 protected:
  // Report.xlsx {Data, Summary, Hidden (hidden)}, Other.xlsx {S1}; the active cell is C7 of
  // Data in Report.xlsx.
  void SetUpServer() {
    server.AddBook("Report.xlsx", {"Data", "Summary", "Hidden"}).sheets[2].visible = 0;
    server.AddBook("Other.xlsx", {"S1"});
    server.SetActive(u"Report.xlsx", u"Data", 3, 7);
    server.Register();
  }
  void StartWith(std::initializer_list<const char*> names) {
    WriteConfig([&](TConfig& config) {
      for (const char* n : names) config.Bookmarks.push_back(Item(n, "Report.xlsx", "Data", 1, 1));
    });
    SetUpServer();
    StartForm();
  }

  QTreeWidgetItem* Node(int i) const { return form->BookmarkRoot()->child(i); }
  void Select(QTreeWidgetItem* node) const { form->TreeViewBook->setCurrentItem(node); }
  fs::path ConfigPath() const { return PathOf(TConfig::GetFileName()); }

  std::vector<std::string> InMemory() const {
    std::vector<std::string> out;
    for (const auto& b : form->GetConfig().Bookmarks) out.push_back(Describe(*b));
    return out;
  }
  std::vector<std::string> OnDisk() const {
    TConfig saved;
    saved.Load(TConfig::GetFileName());
    std::vector<std::string> out;
    for (const auto& b : saved.Bookmarks) out.push_back(Describe(*b));
    return out;
  }
  std::vector<std::string> NodeTexts() const {
    std::vector<std::string> out;
    for (int i = 0; i < form->BookmarkRoot()->childCount(); ++i)
      out.push_back(Q8(Node(i)->text(0)));
    return out;
  }
  // The nodes show the list, one for each bookmark in its order.
  void ExpectNodesMatchList() const {
    std::vector<std::string> expected;
    for (const auto& b : form->GetConfig().Bookmarks) expected.push_back(U8(b->GetDisplayText()));
    EXPECT_THAT(NodeTexts(), ElementsAreArray(expected));
  }

  // Runs a command as its menu entry does, with its modal widgets answered by the steps,
  // which must all be used.
  void Run(QAction* action, std::vector<ModalAnswers::Step> steps) {
    const size_t count = steps.size();
    ModalAnswers answers(std::move(steps));
    emit form->PopupMenuTreeView->aboutToShow();
    action->trigger();
    EXPECT_EQ(answers.StepsRun(), count) << "modal widgets answered";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }

  // The context menu as a right click at the centre of the node (or at empty space) opens it.
  void RightClick(QTreeWidgetItem* node) {
    QTreeWidget* tree = form->TreeViewBook;
    const QPoint pos = node ? tree->visualItemRect(node).center()
                            : QPoint(tree->viewport()->width() / 2, tree->viewport()->height() - 3);
    emit tree->customContextMenuRequested(pos);
    form->PopupMenuTreeView->close();
  }

  void MoveTo(const QPoint& pos) {
    QMouseEvent move(QEvent::MouseMove, pos, form->TreeViewBook->viewport()->mapToGlobal(pos),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->TreeViewBook->viewport(), &move);
  }
  // A point on the node's icon.
  QPoint OnIcon(QTreeWidgetItem* node) const {
    const QRect r = form->TreeViewBook->visualItemRect(node);
    return QPoint(r.left() + 10, r.center().y());
  }
};

TEST_F(BookmarkCommandTest, AddFromTheActiveCellProposesItAndAppends) {
  struct Case {
    const char* what;
    bool clearName;
    const char* storedName;
  };
  for (const Case& c :
       {Case{"name kept", false, "Report.xlsx!Data[C:7]"}, Case{"name cleared", true, ""}}) {
    SCOPED_TRACE(c.what);
    StartWith({"first"});
    std::vector<std::string> seen;
    Run(form->ActionBookmarkInsert, {[&](QWidget* modal) {
          TFormBookmarkItemEdit* dialog = EditDialog(modal);
          ASSERT_NE(dialog, nullptr);
          for (const QString& text :
               {dialog->ComboBoxBook->currentText(), dialog->ComboBoxWorksheet->currentText(),
                dialog->EditCol->text(), dialog->EditRow->text(), dialog->EditName->text()}) {
            seen.push_back(Q8(text));
          }
          if (c.clearName) dialog->EditName->clear();
          dialog->BtnOk->click();
        }});

    EXPECT_THAT(seen, ElementsAre("Report.xlsx", "Data", "C", "7", "Report.xlsx!Data[C:7]"));
    const std::string added = std::string(c.storedName) + "|Report.xlsx!Data|2,6";
    EXPECT_THAT(InMemory(), ElementsAre("first|Report.xlsx!Data|1,1", added));
    EXPECT_THAT(OnDisk(), ElementsAre("first|Report.xlsx!Data|1,1", added));
    // An empty name shows the generated text.
    EXPECT_THAT(NodeTexts(), ElementsAre("first", "Report.xlsx!Data[C:7]"));
    EXPECT_TRUE(TFormMain::IsNodeEnabled(Node(1)));
    EXPECT_THAT(warnings.boxes, IsEmpty());
    form.reset();
    server.books.clear();
  }
}

TEST_F(BookmarkCommandTest, ChangeKeepsThePlaceInTheList) {
  StartWith({"b0", "b1", "b2", "b3", "b4"});
  Select(Node(2));

  Run(form->ActionBookmarkUpdate, {[](QWidget* modal) {
        TFormBookmarkItemEdit* dialog = EditDialog(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Q8(dialog->EditName->text()), "b2");
        dialog->EditName->setText(QStringLiteral("変更後"));
        dialog->ComboBoxBook->setCurrentIndex(1);
        dialog->ComboBoxBookChange();
        dialog->EditCol->setText(QStringLiteral("e"));
        dialog->EditRow->setText(QStringLiteral("12"));
        dialog->BtnOk->click();
      }});

  const std::vector<std::string> expected = {"b0|Report.xlsx!Data|1,1", "b1|Report.xlsx!Data|1,1",
                                             "変更後|Other.xlsx!S1|4,11", "b3|Report.xlsx!Data|1,1",
                                             "b4|Report.xlsx!Data|1,1"};
  EXPECT_THAT(InMemory(), ElementsAreArray(expected));
  EXPECT_THAT(OnDisk(), ElementsAreArray(expected));
  ExpectNodesMatchList();
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(BookmarkCommandTest, DeleteAsksThenRenumbersTheStoredKeys) {
  StartWith({"b0", "b1", "b2"});
  Select(Node(0));
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<std::string> buttons;

  Run(form->ActionBookmarkDelete, {[&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* b : box->buttons()) buttons.push_back(Q8(b->text()));
        Press("はい(&Y)")(modal);
      }});

  EXPECT_EQ(Q8(title), "確認");
  EXPECT_EQ(Q8(text), "選択されているブックマークを削除します。\nよろしいですか？");
  EXPECT_EQ(icon, QMessageBox::Question);
  // Their order is the platform's.
  EXPECT_THAT(buttons, UnorderedElementsAre("はい(&Y)", "いいえ(&N)", "キャンセル"));
  EXPECT_THAT(InMemory(), ElementsAre("b1|Report.xlsx!Data|1,1", "b2|Report.xlsx!Data|1,1"));
  ExpectNodesMatchList();
  // Keys count from 0 again. The old last key stays behind the new count, unread.
  const std::string file = ReadBytes(ConfigPath());
  EXPECT_NE(file.find("Count=2\r\nItem0=b1,Report.xlsx,Data,1,1\r\nItem1=b2,"), std::string::npos)
      << file;
  EXPECT_THAT(OnDisk(), ElementsAre("b1|Report.xlsx!Data|1,1", "b2|Report.xlsx!Data|1,1"));
}

TEST_F(BookmarkCommandTest, CancelAndAnyAnswerButYesChangeNothing) {
  struct Case {
    const char* what;
    QAction* TFormMain::*action;
    ModalAnswers::Step answer;
  };
  const auto escape = [](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); };
  const Case cases[] = {
      {"add cancelled", &TFormMain::ActionBookmarkInsert, Cancel()},
      {"add, Esc", &TFormMain::ActionBookmarkInsert, escape},
      {"change cancelled", &TFormMain::ActionBookmarkUpdate, Cancel()},
      {"delete, no", &TFormMain::ActionBookmarkDelete, Press("いいえ(&N)")},
      {"delete, cancel", &TFormMain::ActionBookmarkDelete, Press("キャンセル")},
      {"delete, Esc", &TFormMain::ActionBookmarkDelete, escape},
  };
  StartWith({"b0", "b1"});
  const std::string file = ReadBytes(ConfigPath());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Select(Node(1));
    Run(form.get()->*c.action, {c.answer});
    EXPECT_THAT(InMemory(), ElementsAre("b0|Report.xlsx!Data|1,1", "b1|Report.xlsx!Data|1,1"));
    EXPECT_EQ(ReadBytes(ConfigPath()), file);
    ExpectNodesMatchList();
  }
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(BookmarkCommandTest, ChangeAndDeleteWithoutABookmarkNodeSelectedDoNothing) {
  StartWith({"b0"});
  for (QTreeWidgetItem* node :
       {static_cast<QTreeWidgetItem*>(nullptr), form->BookmarkRoot(),
        form->TreeViewBook->topLevelItem(1), form->TreeViewBook->topLevelItem(1)->child(0)}) {
    Select(node);
    server.ClearCalls();
    const ModalAnswers none({});
    form->ActionBookmarkUpdateExecute();
    form->ActionBookmarkDeleteExecute();
    EXPECT_THAT(server.CallStrings(), IsEmpty());
  }
  EXPECT_THAT(InMemory(), ElementsAre("b0|Report.xlsx!Data|1,1"));
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(BookmarkCommandTest, EnabledStateFollowsTheWorkbookAtEachReload) {
  WriteConfig([](TConfig& config) {
    config.Bookmarks.push_back(Item("", "Report.xlsx", "Data", 0, 0));
    config.Bookmarks.push_back(Item("", "Report.xlsx", "Hidden", 0, 0));  // sheet not listed
    config.Bookmarks.push_back(Item("", "report.XLSX", "Data", 0, 0));    // case differs
    config.Bookmarks.push_back(Item("", "Later.xlsx", "L1", 0, 0));       // not open yet
  });
  SetUpServer();
  StartForm();
  const auto enabled = [&] {
    std::vector<bool> out;
    for (int i = 0; i < 4; ++i) out.push_back(TFormMain::IsNodeEnabled(Node(i)));
    return out;
  };
  EXPECT_THAT(enabled(), ElementsAre(true, true, false, false));

  server.AddBook("Later.xlsx", {"L1"});
  form->ActionBookReload->trigger();
  EXPECT_THAT(enabled(), ElementsAre(true, true, false, true));

  server.books.erase(server.books.begin());  // Report.xlsx closed
  form->ActionBookReload->trigger();
  EXPECT_THAT(enabled(), ElementsAre(false, false, false, true));

  // The bookmark whose workbook differs only in case never reaches the application.
  server.books.insert(server.books.begin(), BookModel{u"Report.xlsx", {SheetModel{u"Data"}}});
  form->ActionBookReload->trigger();
  ASSERT_FALSE(TFormMain::IsNodeEnabled(Node(2)));
  server.ClearCalls();
  DoubleClick(Node(2));
  form->JumpToBookmark(2);
  EXPECT_THAT(server.CallStrings(), IsEmpty());
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(BookmarkCommandTest, StayOnTopIsOffWhileTheDialogIsOpenAndBackAfterwards) {
  struct Case {
    const char* what;
    QAction* TFormMain::*action;
    ModalAnswers::Step answer;
    std::function<void()> breakSomething;
  };
  const auto none = [] {};
  const Case cases[] = {
      {"add confirmed", &TFormMain::ActionBookmarkInsert, Confirm(), none},
      {"add cancelled", &TFormMain::ActionBookmarkInsert, Cancel(), none},
      {"change confirmed", &TFormMain::ActionBookmarkUpdate, Confirm(), none},
      {"change closed by its window", &TFormMain::ActionBookmarkUpdate,
       [](QWidget* modal) { modal->close(); }, none},
      {"save failed", &TFormMain::ActionBookmarkInsert, Confirm(),
       [this] {
         fs::remove(ConfigPath());
         fs::create_directory(ConfigPath());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith({"b0"});
    form->ActionViewStayOnTop->trigger();
    ASSERT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    c.breakSomething();
    Select(Node(0));
    bool onTopDuringDialog = true;
    Run(form.get()->*c.action, {[&](QWidget* modal) {
          onTopDuringDialog = form->ActionViewStayOnTop->isChecked() ||
                              (form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
          c.answer(modal);
        }});
    EXPECT_FALSE(onTopDuringDialog);
    EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
    EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    form.reset();
    warnings.boxes.clear();
    server.books.clear();
    fs::remove_all(ConfigPath());
  }

  // A failure caught before the dialog opens: no workbook open.
  StartWith({"b0"});
  form->ActionViewStayOnTop->trigger();
  server.books.clear();
  Run(form->ActionBookmarkInsert, {});
  EXPECT_THAT(warnings.Texts(), ElementsAre("開かれているブックが見つかりません。"));
  EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
  EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);

  // Off stays off, the dialog notwithstanding.
  form->ActionViewStayOnTop->trigger();
  SetUpServer();
  Run(form->ActionBookmarkInsert, {Cancel()});
  EXPECT_FALSE(form->ActionViewStayOnTop->isChecked());
  EXPECT_FALSE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(BookmarkCommandTest, FailuresBeforeTheDialogShowAWarningAndChangeNothing) {
  struct Case {
    const char* what;
    QAction* TFormMain::*action;
    std::function<void()> breakSomething;
    const char* message;
    bool inStatusBar;
  };
  const Case cases[] = {
      {"add, no application", &TFormMain::ActionBookmarkInsert, [this] { server.Revoke(); },
       kNoConnection, true},
      {"change, no application", &TFormMain::ActionBookmarkUpdate, [this] { server.Revoke(); },
       kNoConnection, true},
      {"add, no workbook", &TFormMain::ActionBookmarkInsert, [this] { server.books.clear(); },
       "開かれているブックが見つかりません。", false},
      {"change, no workbook", &TFormMain::ActionBookmarkUpdate, [this] { server.books.clear(); },
       "開かれているブックが見つかりません。", false},
      {"add, the active cell cannot be read", &TFormMain::ActionBookmarkInsert,
       [this] { server.FailCallsMatching("Application.ActiveCell", u"セルを読めません。"); },
       "セルを読めません。", false},
      // The bookmark's workbook was closed after the last reload.
      {"change, workbook closed", &TFormMain::ActionBookmarkUpdate,
       [this] { server.books.erase(server.books.begin()); }, "インデックスが有効範囲にありません。",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith({"b0"});
    const std::string file = ReadBytes(ConfigPath());
    const QString status = form->GetStatusText();
    c.breakSomething();
    Select(Node(0));

    Run(form.get()->*c.action, {});

    EXPECT_THAT(warnings.Texts(), ElementsAre(c.message));
    EXPECT_EQ(Q8(form->GetStatusText()), c.inStatusBar ? c.message : Q8(status));
    EXPECT_THAT(InMemory(), ElementsAre("b0|Report.xlsx!Data|1,1"));
    EXPECT_EQ(ReadBytes(ConfigPath()), file);
    ExpectNodesMatchList();
    form.reset();
    warnings.boxes.clear();
    server.ClearFaults();
    server.books.clear();
  }
}

TEST_F(BookmarkCommandTest, SaveFailureKeepsTheChangeAndTheNodesFollowTheList) {
  struct Case {
    const char* what;
    QAction* TFormMain::*action;
    ModalAnswers::Step answer;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {"add", &TFormMain::ActionBookmarkInsert, Confirm(), {"b0", "b1", "Report.xlsx!Data[C:7]"}},
      {"change",
       &TFormMain::ActionBookmarkUpdate,
       [](QWidget* modal) {
         if (auto* dialog = EditDialog(modal)) {
           dialog->EditName->setText(QStringLiteral("changed"));
           dialog->BtnOk->click();
         }
       },
       {"b0", "changed"}},
      {"delete", &TFormMain::ActionBookmarkDelete, Press("はい(&Y)"), {"b0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith({"b0", "b1"});
    // A folder where the file should be: as good as a locked file, and root cannot bypass it.
    fs::remove(ConfigPath());
    fs::create_directory(ConfigPath());
    Select(Node(1));

    Run(form.get()->*c.action, {c.answer});

    std::vector<std::string> names;
    for (const auto& b : form->GetConfig().Bookmarks) names.push_back(U8(b->GetDisplayText()));
    EXPECT_THAT(names, ElementsAreArray(c.after));
    ExpectNodesMatchList();
    ASSERT_EQ(warnings.boxes.size(), 1u);
    EXPECT_THAT(Q8(warnings.boxes[0].text), ::testing::HasSubstr(U8(TConfig::GetFileName())));
    EXPECT_TRUE(fs::is_directory(ConfigPath()));

    // The hint of a node looks its bookmark up by the node's index.
    form->TreeViewBook->scrollToItem(Node(0));
    MoveTo(OnIcon(Node(static_cast<int>(c.after.size()) - 1)));
    EXPECT_EQ(Q8(form->TreeViewBook->toolTip())
                  .substr(0, std::string("名称：").size() + c.after.back().size()),
              "名称：" + c.after.back());
    form.reset();
    warnings.boxes.clear();
    server.books.clear();
    fs::remove_all(ConfigPath());
  }
}

TEST_F(BookmarkCommandTest, SettingsFolderThatCannotBeMadeIsReportedAndTheNodesAreRebuilt) {
  StartWith({"b0"});
  // A plain file where the settings folder should be.
  const fs::path folder = ConfigPath().parent_path();
  fs::remove_all(folder);
  WriteBytes(folder, "not a folder");

  Run(form->ActionBookmarkInsert, {Confirm()});

  EXPECT_THAT(warnings.Texts(),
              ElementsAre("設定ファイルを保存するためのフォルダの作成に失敗しました。"));
  EXPECT_THAT(NodeTexts(), ElementsAre("b0", "Report.xlsx!Data[C:7]"));
  fs::remove(folder);
}

TEST_F(BookmarkCommandTest, FailureInsideTheOpenDialogIsReportedAndTheCommandGoesOn) {
  StartWith({"b0"});
  form->ActionViewStayOnTop->trigger();
  Run(form->ActionBookmarkInsert, {[&](QWidget* modal) {
        TFormBookmarkItemEdit* dialog = EditDialog(modal);
        ASSERT_NE(dialog, nullptr);
        // Other.xlsx is closed in the spreadsheet while the dialog lists it.
        server.books.erase(server.books.begin() + 1);
        QTest::keyClick(dialog->ComboBoxBook, Qt::Key_Down);
        EXPECT_THAT(warnings.Texts(), ElementsAre("インデックスが有効範囲にありません。"));
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog->ComboBoxBook, Qt::Key_Up);
        dialog->BtnOk->click();
      }});

  EXPECT_THAT(OnDisk(),
              ElementsAre("b0|Report.xlsx!Data|1,1", "Report.xlsx!Data[C:7]|Report.xlsx!Data|2,6"));
  ExpectNodesMatchList();
  EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
  EXPECT_EQ(warnings.boxes.size(), 1u);
}

TEST_F(BookmarkCommandTest, ContextMenuEnablesChangeAndDeleteOnBookmarkNodesOnly) {
  WriteConfig([](TConfig& config) {
    config.Bookmarks.push_back(Item("listed", "Report.xlsx", "Data", 0, 0));
    config.Bookmarks.push_back(Item("closed", "Gone.xlsx", "S", 0, 0));
  });
  SetUpServer();
  StartForm();
  QTreeWidget* tree = form->TreeViewBook;
  EXPECT_THAT(form->PopupMenuTreeView->actions(),
              ElementsAre(form->ActionBookmarkInsert, form->ActionBookmarkUpdate,
                          form->ActionBookmarkDelete));
  struct Case {
    const char* what;
    QTreeWidgetItem* node;
    bool enabled;
  };
  const Case cases[] = {
      {"bookmark", Node(0), true},
      {"root", form->BookmarkRoot(), false},
      {"book", tree->topLevelItem(1), false},
      {"sheet", tree->topLevelItem(1)->child(0), false},
      {"bookmark again", Node(0), true},
      // A greyed node is selected like any other, and the menu acts on it.
      {"greyed bookmark", Node(1), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RightClick(c.node);
    EXPECT_EQ(form->ActionBookmarkUpdate->isEnabled(), c.enabled);
    EXPECT_EQ(form->ActionBookmarkDelete->isEnabled(), c.enabled);
    EXPECT_TRUE(form->ActionBookmarkInsert->isEnabled());
  }

  // Empty space keeps the selection, and the menu acts on it.
  Select(Node(0));
  RightClick(nullptr);
  EXPECT_EQ(tree->currentItem(), Node(0));
  EXPECT_TRUE(form->ActionBookmarkDelete->isEnabled());
}

TEST_F(BookmarkCommandTest, GreyedBookmarkIsSelectedAndTheMenuActsOnIt) {
  struct Case {
    const char* what;
    // No spreadsheet at all, or one where Gone1.xlsx was opened after the last reload: its
    // node is still greyed, and the change dialog can read it.
    bool spreadsheet;
    Qt::Key command;  // the access key in the tree's menu
    ModalAnswers::Step answer;
    std::vector<std::string> stored;
    const char* file;
  };
  std::vector<std::string> shown;
  const Case cases[] = {
      {"delete the first",
       false,
       Qt::Key_D,
       Press("はい(&Y)"),
       {"second|Gone2.xlsx!T|0,0"},
       "Count=1\r\nItem0=second,Gone2.xlsx,T,0,0\r\n"},
      {"change the first",
       true,
       Qt::Key_U,
       [&shown](QWidget* modal) {
         TFormBookmarkItemEdit* dialog = EditDialog(modal);
         ASSERT_NE(dialog, nullptr);
         for (const QString& text :
              {dialog->ComboBoxBook->currentText(), dialog->ComboBoxWorksheet->currentText(),
               dialog->EditCol->text(), dialog->EditRow->text(), dialog->EditName->text()}) {
           shown.push_back(Q8(text));
         }
         dialog->EditName->setText(QStringLiteral("renamed"));
         dialog->BtnOk->click();
       },
       {"renamed|Gone1.xlsx!S|2,4", "second|Gone2.xlsx!T|0,0"},
       "Count=2\r\nItem0=renamed,Gone1.xlsx,S,2,4\r\nItem1=second,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig([](TConfig& config) {
      config.Bookmarks.push_back(Item("first", "Gone1.xlsx", "S", 2, 4));
      config.Bookmarks.push_back(Item("second", "Gone2.xlsx", "T", 0, 0));
    });
    server.books.clear();
    if (c.spreadsheet) {
      server.AddBook("Other.xlsx", {"S1"});
      server.Register();
    } else {
      server.Revoke();
    }
    StartForm();
    if (c.spreadsheet) server.AddBook("Gone1.xlsx", {"S"});
    warnings.boxes.clear();
    ASSERT_FALSE(TFormMain::IsNodeEnabled(Node(0)));
    ASSERT_FALSE(TFormMain::IsNodeEnabled(Node(1)));
    QTreeWidget* tree = form->TreeViewBook;
    auto click = [&](Qt::MouseButton button, QTreeWidgetItem* node) {
      const QPoint pos = tree->viewport()->mapTo(form.get(), tree->visualItemRect(node).center());
      // Through the window, as the platform delivers it: a right press opens the menu.
      QTest::mouseClick(form->windowHandle(), button, {}, pos);
    };
    click(Qt::LeftButton, Node(1));
    EXPECT_EQ(tree->currentItem(), Node(1));

    click(Qt::RightButton, Node(0));
    ASSERT_EQ(tree->currentItem(), Node(0));
    ASSERT_TRUE(WaitFor(2000, [&] { return form->PopupMenuTreeView->isVisible(); }));
    EXPECT_TRUE(form->ActionBookmarkUpdate->isEnabled());
    EXPECT_TRUE(form->ActionBookmarkDelete->isEnabled());
    const ModalAnswers answers({c.answer});
    QTest::keyClick(form->PopupMenuTreeView, c.command);
    EXPECT_TRUE(answers.AllStepsRan());

    EXPECT_THAT(InMemory(), ElementsAreArray(c.stored));
    EXPECT_THAT(OnDisk(), ElementsAreArray(c.stored));
    const std::string file = ReadBytes(ConfigPath());
    EXPECT_NE(file.find(c.file), std::string::npos) << file;
    ExpectNodesMatchList();
    // Still greyed until the next reload lists the workbook.
    EXPECT_FALSE(TFormMain::IsNodeEnabled(Node(0)));
    EXPECT_THAT(warnings.Texts(), IsEmpty());
    form.reset();
  }
  EXPECT_THAT(shown, ElementsAre("Gone1.xlsx", "S", "C", "5", "first"));
}

TEST_F(BookmarkCommandTest, HintShowsTheBookmarkOrTheNodeText) {
  WriteConfig([](TConfig& config) {
    config.Bookmarks.push_back(Item("", "Report.xlsx", "Data", 1, 4));
    config.Bookmarks.push_back(Item("売上", "Report.xlsx", "Summary", 27, 99));
  });
  SetUpServer();
  StartForm();
  QTreeWidget* tree = form->TreeViewBook;
  struct Case {
    QTreeWidgetItem* node;
    const char* hint;
  };
  const Case cases[] = {
      {Node(0),
       "名称：Report.xlsx!Data[B:5]\r\nブック名：Report.xlsx\r\nシート名：Data\r\nセル：[B5]"},
      {Node(1), "名称：売上\r\nブック名：Report.xlsx\r\nシート名：Summary\r\nセル：[AB100]"},
      {form->BookmarkRoot(), "ブックマーク"},
      {tree->topLevelItem(1), "Report.xlsx"},
      {tree->topLevelItem(2)->child(0), "S1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    MoveTo(OnIcon(c.node));
    EXPECT_EQ(form->GetHintNode(), c.node);
    EXPECT_EQ(Q8(tree->toolTip()), c.hint);
    EXPECT_EQ(Q8(form->GetStatusText()), c.hint);
  }
}

TEST_F(BookmarkCommandTest, HintIsSetOncePerNodeAndOnlyOnTheItemItself) {
  StartWith({"b0", "b1"});
  QTreeWidget* tree = form->TreeViewBook;
  MoveTo(OnIcon(Node(0)));
  ASSERT_EQ(form->GetHintNode(), Node(0));

  // Within the same node: the text is not set again and a showing hint stays.
  tree->setToolTip(QStringLiteral("unchanged"));
  QToolTip::showText(tree->mapToGlobal(QPoint(5, 5)), QStringLiteral("showing"), tree);
  ASSERT_TRUE(QToolTip::isVisible());
  MoveTo(OnIcon(Node(0)) + QPoint(18, 0));  // onto the label
  EXPECT_EQ(Q8(tree->toolTip()), "unchanged");
  EXPECT_FALSE(WaitFor(500, [] { return !QToolTip::isVisible(); }));

  // Empty space: the hint is cancelled and HintNode keeps its node.
  const QPoint empty(tree->viewport()->width() / 2, tree->viewport()->height() - 3);
  ASSERT_EQ(tree->itemAt(empty), nullptr);
  MoveTo(empty);
  EXPECT_TRUE(WaitFor(2000, [] { return !QToolTip::isVisible(); }));
  EXPECT_EQ(form->GetHintNode(), Node(0));

  // Far right in a node's row, off its label: no new hint node.
  const QRect row = tree->visualItemRect(Node(1));
  MoveTo(QPoint(row.right() - 2, row.center().y()));
  EXPECT_EQ(form->GetHintNode(), Node(0));
  EXPECT_EQ(Q8(tree->toolTip()), "unchanged");

  // Deleted nodes are forgotten: a new node may take a deleted one's address and must still
  // get its own hint.
  MoveTo(OnIcon(Node(0)));
  Select(Node(0));
  Run(form->ActionBookmarkDelete, {Press("はい(&Y)")});
  EXPECT_EQ(form->GetHintNode(), nullptr);
  MoveTo(OnIcon(Node(0)));
  EXPECT_EQ(Q8(tree->toolTip()).substr(0, std::string("名称：b1").size()), "名称：b1");
}

}  // namespace
}  // namespace kestrine::test
