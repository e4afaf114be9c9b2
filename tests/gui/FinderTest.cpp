// The sheet finder in the main window: what it lists, its keys, the jumps it makes, the recent
// places, and its settings.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "GuiFixture.h"
#include "app/FormFinder.h"
#include "settings/FormConfigGeneral.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class FinderTest : public GuiTest {
 protected:
  // 売上.xlsx {シート1, 集計, 非表示 (hidden)}, B.xlsx {ウリアゲ, T1}; a bookmark on B.xlsx!T1 D5
  // and one on a workbook that is not open.
  void Start() {
    WriteConfig([](TConfig& config) {
      config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"Z.xlsx", u"T1", 0, 0));
      config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"B.xlsx", u"T1", 3, 4));
    });
    server.AddBook("売上.xlsx", {"シート1", "集計", "非表示"}).sheets[2].visible = 0;
    server.AddBook("B.xlsx", {"ウリアゲ", "T1"});
    server.SetActive(u"売上.xlsx", u"シート1", 1, 1);
    server.Register();
    StartForm();
    server.ClearCalls();
  }
  TFormFinder& Finder() const { return *form->GetFinder(); }
  void Open() {
    form->ActionFinder->trigger();
    ASSERT_TRUE(Finder().isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Finder()));
  }
  // One character at a time, as keys where the test library has them and as an input
  // method's commits (how Japanese arrives) where it has not.
  void Type(const char* text) {
    for (const QChar c : QString::fromUtf8(text)) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(Finder().EditQuery, static_cast<char>(c.unicode()));
      } else {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(Finder().EditQuery, &commit);
      }
    }
  }
  void Key(Qt::Key key) { QTest::keyClick(Finder().EditQuery, key); }
  // What the list shows: "text (book)" per row, with "*" before the selected one.
  std::vector<std::string> Rows() const {
    const QAbstractItemModel* model = Finder().ListMatches->model();
    std::vector<std::string> out;
    for (int i = 0; i < model->rowCount(); ++i) {
      const QModelIndex index = model->index(i, 0);
      std::string line = Finder().ListMatches->currentIndex() == index ? "*" : "";
      line += Q8(index.data().toString());
      const QString book = index.data(Qt::UserRole).toString();
      if (!book.isEmpty()) line += " (" + Q8(book) + ")";
      out.push_back(line);
    }
    return out;
  }
  std::string ConfigFile() const {
    std::ifstream in(home.Path() / "Quorvane" / "Kestrine" / "Kestrine.ini", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Opens the settings dialog; `change` runs on it and then presses OK, and `after` runs
  // once OK has been pressed, while the dialog may still be open.
  void RunSettings(const std::function<void(TFormConfigGeneral&)>& change,
                   const std::function<void(TFormConfigGeneral&)>& after = {}) {
    ModalAnswers answers({[&](QWidget* modal) {
      auto* dialog = qobject_cast<TFormConfigGeneral*>(modal);
      ASSERT_NE(dialog, nullptr);
      change(*dialog);
      QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
      if (after) after(*dialog);
    }});
    form->ActionConfigGeneral->trigger();
    EXPECT_TRUE(answers.AllStepsRan());
  }
};

TEST_F(FinderTest, TypingFiltersAndEnterJumpsToThatSheet) {
  Start();
  Open();
  EXPECT_TRUE(Finder().EditQuery->hasFocus());
  EXPECT_THAT(Rows(), IsEmpty()) << "no jump yet, so no recent places";

  Type("うりあげ");
  EXPECT_THAT(Rows(), ElementsAre("*ウリアゲ (B.xlsx)"));
  EXPECT_THAT(server.CallStrings(), IsEmpty()) << "typing never reaches the spreadsheet";

  Key(Qt::Key_Return);
  EXPECT_FALSE(Finder().isVisible());
  EXPECT_EQ(server.ActiveCell(), "B.xlsx!ウリアゲ R1C1");
  EXPECT_EQ(server.bringToFrontCount, 1);
  EXPECT_THAT(server.CallStrings(),
              ElementsAre("Application.Workbooks()", "Workbooks.item(\"B.xlsx\")",
                          "Workbook(B.xlsx).Activate()", "Workbook(B.xlsx).WorkSheets()",
                          "Worksheets(B.xlsx).item(\"ウリアゲ\")",
                          "Worksheet(B.xlsx!ウリアゲ).Activate()", "Window.BringToFront()"));
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(FinderTest, KeysMoveTheSelectionInTheBoxAndEscapeAndDoubleClickClose) {
  Start();
  Open();
  Type("xlsx");
  EXPECT_THAT(Rows(), ElementsAre("*B.xlsx!T1[D:5]", "シート1 (売上.xlsx)", "集計 (売上.xlsx)",
                                  "ウリアゲ (B.xlsx)", "T1 (B.xlsx)"));
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  Key(Qt::Key_Up);
  EXPECT_EQ(Rows()[1], "*シート1 (売上.xlsx)");
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Rows()[4], "*T1 (B.xlsx)");
  Key(Qt::Key_PageUp);
  EXPECT_EQ(Rows()[0], "*B.xlsx!T1[D:5]");
  EXPECT_TRUE(Finder().EditQuery->hasFocus());
  EXPECT_EQ(Q8(Finder().EditQuery->text()), "xlsx");

  Key(Qt::Key_Escape);
  EXPECT_FALSE(Finder().isVisible());
  EXPECT_THAT(server.CallStrings(), IsEmpty());

  // Opened again: the box is empty, and a double click on a row jumps.
  Open();
  EXPECT_TRUE(Finder().EditQuery->text().isEmpty());
  Type("集計");
  QListView* list = Finder().ListMatches;
  const QPoint pos = list->visualRect(list->model()->index(0, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, pos);
  EXPECT_FALSE(Finder().isVisible());
  EXPECT_EQ(server.ActiveCell(), "売上.xlsx!集計 R1C1");
}

TEST_F(FinderTest, BookmarksComeFirstAndOnlyWhereTheirSheetIsListed) {
  Start();
  Open();
  Type("t1");
  EXPECT_THAT(Rows(), ElementsAre("*B.xlsx!T1[D:5]", "T1 (B.xlsx)"));
  Key(Qt::Key_Return);
  EXPECT_EQ(server.ActiveCell(), "B.xlsx!T1 R5C4");
}

TEST_F(FinderTest, NothingMatchingSaysSoAndEnterDoesNothing) {
  Start();
  Open();
  Type("zzz");
  EXPECT_TRUE(Finder().ShowsNoMatch());
  EXPECT_THAT(Rows(), ElementsAre("一致するシートはありません。"));
  const QAbstractItemModel* model = Finder().ListMatches->model();
  EXPECT_EQ(model->flags(model->index(0, 0)), Qt::NoItemFlags) << "greyed, not selectable";
  Key(Qt::Key_Return);
  EXPECT_TRUE(Finder().isVisible());
  EXPECT_THAT(server.CallStrings(), IsEmpty());
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(FinderTest, RecentPlacesAreTheLastJumpsNewestFirst) {
  Start();
  // One jump from the tree, one from the finder, one that fails: only the two count.
  DoubleClick(form->TreeViewBook->topLevelItem(1)->child(1));
  Open();
  Type("ウリアゲ");
  Key(Qt::Key_Return);
  server.FailCallsMatching("Worksheets(B.xlsx).item(\"T1\")", u"シートがありません。");
  Open();
  Type("T1 B");
  EXPECT_THAT(Rows(), ElementsAre("*B.xlsx!T1[D:5]", "T1 (B.xlsx)"));
  Key(Qt::Key_Down);
  Key(Qt::Key_Return);
  EXPECT_THAT(warnings.Texts(), ElementsAre("シートがありません。"));
  server.ClearFaults();

  Open();
  EXPECT_THAT(Rows(), ElementsAre("*ウリアゲ (B.xlsx)", "集計 (売上.xlsx)"));
  // Enter with nothing typed goes back to the newest.
  server.SetActive(u"売上.xlsx", u"シート1", 1, 1);
  Key(Qt::Key_Return);
  EXPECT_EQ(server.ActiveCell(), "B.xlsx!ウリアゲ R1C1");

  // A place that the last reload no longer lists is left out.
  server.books[1].sheets[0].visible = 0;
  form->ActionBookReloadExecute();
  Open();
  EXPECT_THAT(Rows(), ElementsAre("*集計 (売上.xlsx)"));
}

TEST_F(FinderTest, SettingsAreWrittenOnlyOnceSetAndNeverOnOneCombination) {
  Start();
  form->close();
  EXPECT_THAT(ConfigFile(), Not(HasSubstr("FINDER")));
  StartForm();

  // Both hotkeys on the same combination: a warning, the dialog stays, nothing is stored.
  RunSettings(
      [](TFormConfigGeneral& dialog) {
        dialog.CheckBoxUseHotKey->setChecked(true);
        dialog.ComboBoxHotKeyCode->setCurrentIndex(5);
        dialog.CheckBoxFinderUseHotKey->setChecked(true);
        dialog.ComboBoxFinderHotKeyCode->setCurrentIndex(5);
      },
      [&](TFormConfigGeneral& dialog) {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_THAT(
            warnings.Texts(),
            ElementsAre(
                "シートの検索のホットキーには、ほかのホットキーと違うキーを選んでください。"));
        dialog.reject();
      });
  EXPECT_FALSE(form->GetConfig().UseHotKey);
  EXPECT_FALSE(form->GetConfig().GetFinderUseHotKey());
  form->close();
  EXPECT_THAT(ConfigFile(), Not(HasSubstr("FINDER")));

  // A different combination is stored and written; offscreen there are no global keys, so
  // the registration fails as the other hotkey's does.
  StartForm();
  warnings.boxes.clear();
  RunSettings([](TFormConfigGeneral& dialog) {
    dialog.CheckBoxFinderUseHotKey->setChecked(true);
    dialog.ComboBoxFinderHotKeyCode->setCurrentIndex(30);
  });
  EXPECT_THAT(warnings.Texts(), ElementsAre("ホットキーのシステムへの登録に失敗しました。"));
  EXPECT_TRUE(form->GetConfig().GetFinderUseHotKey());
  EXPECT_EQ(form->GetConfig().GetFinderHotKeyCodeIndex(), 30);
  form->close();
  EXPECT_THAT(ConfigFile(), HasSubstr("[FINDER]\r\nUseHotKey=1\r\nHotKeyCodeIndex=30\r\n"));

  // Read back, and shown in the dialog.
  StartForm();
  RunSettings([](TFormConfigGeneral& dialog) {
    EXPECT_TRUE(dialog.CheckBoxFinderUseHotKey->isChecked());
    EXPECT_EQ(dialog.ComboBoxFinderHotKeyCode->currentIndex(), 30);
    dialog.CheckBoxFinderUseHotKey->setChecked(false);
  });
  form->close();
  EXPECT_THAT(ConfigFile(), HasSubstr("[FINDER]\r\nUseHotKey=0\r\nHotKeyCodeIndex=30\r\n"));
}

}  // namespace
}  // namespace kestrine::test
