#include "bookmarks/FormBookmarkItemEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <climits>

#include "QtTestSupport.h"
#include "WarningBoxes.h"
#include "base/Exception.h"
#include "bookmarks/BookmarkItem.h"
#include "excel/Excel.h"
#include "support/AutomationServer.h"

namespace kestrine::test {
namespace {

const char kOutOfRange[] = "インデックスが有効範囲にありません。";

std::vector<std::string> Entries(const QComboBox* combo) {
  std::vector<std::string> entries;
  for (int i = 0; i < combo->count(); ++i) entries.push_back(Q8(combo->itemText(i)));
  return entries;
}

class FormBookmarkItemEditTest : public ::testing::Test {
 protected:
  FormBookmarkItemEditTest() {
    BookModel& report = server.AddBook("Report.xlsx", {"Data", "Secret", "Vault", "Summary"});
    report.sheets[1].visible = 0;
    report.sheets[2].visible = 2;
    report.sheets[3].rows = 500;  // a size of its own, to see it read
    BookModel& old = server.AddBook("Old.xls", {"Sheet1"});
    old.sheets[0].columns = 256;
    old.sheets[0].rows = 65536;
    BookModel& hidden = server.AddBook("Hidden.xlsx", {"H1", "H2"});
    hidden.sheets[0].visible = 0;
    hidden.sheets[1].visible = 2;
    server.Register();
    excel = TExcel::Connect();
  }

  // As the bookmark commands do it before they show the dialog.
  void Open(const TBookmarkItem* item = nullptr) {
    form.LoadBooks(excel.get());
    if (item) form.SetBookmarkItem(item);
    server.ClearCalls();
  }

  void ChooseBook(const std::string& name) {
    form.ComboBoxBook->setCurrentIndex(form.ComboBoxBook->findText(QString::fromStdString(name)));
    form.ComboBoxBookChange();
  }

  void Type(const char* column, const char* row) {
    form.EditCol->setText(QString::fromUtf8(column));
    form.EditRow->setText(QString::fromUtf8(row));
  }

  AutomationServer server;
  std::unique_ptr<TExcel> excel;
  WarningBoxRecorder warnings;
  TFormBookmarkItemEdit form;
};

TEST_F(FormBookmarkItemEditTest, LoadBooksListsWorkbooksAndOnlyVisibleSheets) {
  Open();
  EXPECT_EQ(Entries(form.ComboBoxBook),
            (std::vector<std::string>{"Report.xlsx", "Old.xls", "Hidden.xlsx"}));
  EXPECT_EQ(Q8(form.ComboBoxBook->currentText()), "Report.xlsx");
  EXPECT_EQ(Entries(form.ComboBoxWorksheet), (std::vector<std::string>{"Data", "Summary"}));
  EXPECT_EQ(Q8(form.ComboBoxWorksheet->currentText()), "Data");
  EXPECT_EQ(Q8(form.EditCol->text()), "A");
  EXPECT_EQ(Q8(form.EditRow->text()), "1");
  EXPECT_EQ(Q8(form.GetStatusText()), "シートを読み込みました。");
  EXPECT_EQ(form.GetLastBookIndex(), 0);
  EXPECT_EQ(Q8(form.EditCol->toolTip()), "「A」から「XFD」までの列名を入力してください。");
  EXPECT_EQ(Q8(form.EditCol->statusTip()), "「A」から「XFD」までの列名を入力してください。");
  EXPECT_EQ(Q8(form.EditRow->toolTip()), "「1」から「1048576」までの行番号を入力してください。");
  EXPECT_EQ(Q8(form.EditRow->statusTip()), "「1」から「1048576」までの行番号を入力してください。");
}

TEST_F(FormBookmarkItemEditTest, LoadBooksWithNoWorkbookOpenRaises) {
  server.books.clear();
  try {
    form.LoadBooks(excel.get());
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(U8(e.Message()), "開かれているブックが見つかりません。");
  }
}

TEST_F(FormBookmarkItemEditTest, UserSelectionsRefillSheetsAndRereadTheSize) {
  Open();
  QTest::keyClick(form.ComboBoxBook, Qt::Key_Down);
  EXPECT_EQ(Entries(form.ComboBoxWorksheet), (std::vector<std::string>{"Sheet1"}));
  EXPECT_EQ(form.GetLastBookIndex(), 1);
  EXPECT_EQ(form.GetColumnCount(), 256);
  EXPECT_EQ(Q8(form.EditCol->toolTip()), "「A」から「IV」までの列名を入力してください。");
  EXPECT_EQ(Q8(form.EditRow->toolTip()), "「1」から「65536」までの行番号を入力してください。");

  // The same workbook again: nothing is asked of the application.
  server.ClearCalls();
  form.ComboBoxBookChange();
  EXPECT_EQ(server.CallCount(), 0u);

  QTest::keyClick(form.ComboBoxBook, Qt::Key_Up);
  QTest::keyClick(form.ComboBoxWorksheet, Qt::Key_Down);
  EXPECT_EQ(Q8(form.ComboBoxWorksheet->currentText()), "Summary");
  EXPECT_EQ(form.GetRowCount(), 500);
  EXPECT_EQ(Q8(form.EditRow->toolTip()), "「1」から「500」までの行番号を入力してください。");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

struct CellCase {
  const char* book;
  const char* column;
  const char* row;
  int columnIndex;
  int rowIndex;
};

TEST_F(FormBookmarkItemEditTest, ColumnAndRowRules) {
  const CellCase cases[] = {
      {"Report.xlsx", "C", "7", 2, 6},
      {"Report.xlsx", "c", "1", 2, 0},
      {"Report.xlsx", "3", "1048576", 2, 1048575},
      {"Report.xlsx", "0", "0", -1, -1},
      {"Report.xlsx", "XFD", "", 16383, -1},
      {"Report.xlsx", "16384", "1048577", 16383, -1},
      {"Report.xlsx", "XFE", "1", -1, 0},
      {"Report.xlsx", "16385", "1", -1, 0},
      // Texts starting with X are letters, never hexadecimal numbers.
      {"Report.xlsx", "XA", "1", 624, 0},
      {"Report.xlsx", "xfd", "1", 16383, 0},
      {"Report.xlsx", "X1", "1", -1, 0},
      {"Report.xlsx", " +5", "$10", 4, 15},
      {"Report.xlsx", "-1", "-1", -1, -1},
      {"Report.xlsx", "", " 2", -1, 1},
      {"Report.xlsx", "A1", "1.5", -1, -1},
      {"Report.xlsx", "4294967299", "4294967298", -1, -1},  // not wrapped round to 3 and 2
      {"Old.xls", "IV", "65536", 255, 65535},
      {"Old.xls", "IW", "65537", -1, -1},
      {"Old.xls", "256", "1", 255, 0},
      {"Old.xls", "257", "1", -1, 0},
  };
  Open();
  for (const CellCase& c : cases) {
    SCOPED_TRACE(std::string(c.book) + " [" + c.column + "] [" + c.row + "]");
    ChooseBook(c.book);
    Type(c.column, c.row);
    EXPECT_EQ(form.GetColumnIndex(), c.columnIndex);
    EXPECT_EQ(form.GetRowIndex(), c.rowIndex);
  }
}

struct CheckCase {
  const char* book;  // nullptr: no workbook selected
  const char* column;
  const char* row;
  const char* message;  // nullptr: every check passes
  const char* focus;
};

TEST_F(FormBookmarkItemEditTest, ValidateInputStopsAtTheFirstFailingCheck) {
  const CheckCase cases[] = {
      {nullptr, "XFE", "", "ブックが選択されていません。", "ComboBoxBook"},
      {"Hidden.xlsx", "XFE", "", "ワークシートが選択されていません。", "ComboBoxWorksheet"},
      {"Old.xls", "IW", "", "列には「A」から「IV」までの列名を入力してください。", "EditCol"},
      {"Report.xlsx", "XFE", "1", "列には「A」から「XFD」までの列名を入力してください。",
       "EditCol"},
      {"Old.xls", "IV", "65537", "行には「1」から「65536」までの行番号を入力してください。",
       "EditRow"},
      {"Report.xlsx", "A", "", "行には「1」から「1048576」までの行番号を入力してください。",
       "EditRow"},
      {"Report.xlsx", "XFD", "1048576", nullptr, "EditName"},
  };
  Open();
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(std::string(c.book ? c.book : "(none)") + " [" + c.column + "] [" + c.row + "]");
    if (c.book) {
      ChooseBook(c.book);
    } else {
      form.ComboBoxBook->setCurrentIndex(-1);
    }
    Type(c.column, c.row);
    form.EditName->setFocus();
    warnings.boxes.clear();

    EXPECT_EQ(form.ValidateInput(), c.message == nullptr);
    EXPECT_EQ(warnings.Texts(),
              c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    ASSERT_NE(form.focusWidget(), nullptr);
    EXPECT_EQ(form.focusWidget()->objectName().toStdString(), c.focus);
  }
}

TEST_F(FormBookmarkItemEditTest, AddingFromTheActiveCellProposesItsName) {
  const TBookmarkItem fromCell(u"", u"Report.xlsx", u"Data", 2, 6);
  Open(&fromCell);
  EXPECT_EQ(Q8(form.EditName->text()), "Report.xlsx!Data[C:7]");
  EXPECT_EQ(Q8(form.ComboBoxBook->currentText()), "Report.xlsx");
  EXPECT_EQ(Q8(form.ComboBoxWorksheet->currentText()), "Data");
  EXPECT_EQ(Q8(form.EditCol->text()), "C");
  EXPECT_EQ(Q8(form.EditRow->text()), "7");
  ASSERT_TRUE(form.ValidateInput());

  auto confirmed = form.CreateBookmarkItem();
  EXPECT_EQ(U8(confirmed->Name), "Report.xlsx!Data[C:7]");
  EXPECT_EQ(U8(confirmed->BookName), "Report.xlsx");
  EXPECT_EQ(U8(confirmed->SheetName), "Data");
  EXPECT_EQ(confirmed->Column, 2);
  EXPECT_EQ(confirmed->Row, 6);

  form.EditName->clear();
  EXPECT_EQ(U8(form.CreateBookmarkItem()->Name), "");
  form.EditName->setText(QStringLiteral("  売上 "));
  EXPECT_EQ(U8(form.CreateBookmarkItem()->Name), "  売上 ");
}

TEST_F(FormBookmarkItemEditTest, SetBookmarkItemFindsWorkbookAndSheetWhateverTheCase) {
  struct {
    const char16_t* book;
    const char16_t* sheet;
    const char* shownBook;
    const char* shownSheet;
  } const cases[] = {
      {u"report.XLSX", u"data", "Report.xlsx", "Data"},
      {u"OLD.XLS", u"sheet1", "Old.xls", "Sheet1"},
      {u"Report.xlsx", u"Gone", "Report.xlsx", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shownBook + std::string("!") + c.shownSheet);
    const TBookmarkItem item(u"", c.book, c.sheet, 0, 0);
    TFormBookmarkItemEdit dialog;
    dialog.LoadBooks(excel.get());
    dialog.SetBookmarkItem(&item);
    EXPECT_EQ(Q8(dialog.ComboBoxBook->currentText()), c.shownBook);
    EXPECT_EQ(Q8(dialog.ComboBoxWorksheet->currentText()), c.shownSheet);
  }
}

TEST_F(FormBookmarkItemEditTest, BookmarkWithVanishedSheetOpensWithNoSheetAndIsRefused) {
  const TBookmarkItem item(u"", u"Report.xlsx", u"Gone", 0, 0);
  Open(&item);
  EXPECT_EQ(form.ComboBoxWorksheet->currentIndex(), -1);
  Type("XFE", "");
  EXPECT_FALSE(form.ValidateInput());
  EXPECT_EQ(warnings.Texts(), std::vector<std::string>{"ワークシートが選択されていません。"});
}

TEST_F(FormBookmarkItemEditTest, BookmarkOfAClosedWorkbookPassesTheApplicationsFailureOut) {
  const TBookmarkItem item(u"", u"Closed.xlsx", u"Data", 0, 0);
  form.LoadBooks(excel.get());
  server.ClearCalls();
  try {
    form.SetBookmarkItem(&item);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(U8(e.Message()), kOutOfRange);
  }
  ASSERT_FALSE(server.calls.empty());
  EXPECT_EQ(server.calls.back().ToString(), "Workbooks.item(\"\")");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FormBookmarkItemEditTest, RowFromAHandEditedFileIsShownWholeAndRefused) {
  // The box's length limit is for typing; cutting "10000001" to "1000000" would make a
  // different, valid row.
  const struct {
    int row;
    const char* shown;
  } cases[] = {{10000000, "10000001"}, {INT_MAX, "2147483648"}, {-5, "-4"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    const TBookmarkItem item(u"", u"Report.xlsx", u"Data", 0, c.row);
    form.LoadBooks(excel.get());
    form.SetBookmarkItem(&item);
    EXPECT_EQ(Q8(form.EditRow->text()), c.shown);
    warnings.boxes.clear();
    EXPECT_FALSE(form.ValidateInput());
    EXPECT_EQ(warnings.Texts(), std::vector<std::string>{
                                    "行には「1」から「1048576」までの行番号を入力してください。"});
  }
}

TEST_F(FormBookmarkItemEditTest, TypingStopsAtSevenCharactersAndTheRowTakesDigitsOnly) {
  Open();
  form.EditRow->clear();
  QTest::keyClicks(form.EditRow, "1a2-b3");
  EXPECT_EQ(Q8(form.EditRow->text()), "123");
  QTest::keyClicks(form.EditRow, "456789");
  EXPECT_EQ(Q8(form.EditRow->text()), "1234567");
  form.EditCol->clear();
  QTest::keyClicks(form.EditCol, "xfd1234567");
  EXPECT_EQ(Q8(form.EditCol->text()), "xfd1234");

  // A long text from a file can still be shortened key by key.
  const TBookmarkItem item(u"", u"Report.xlsx", u"Data", 0, 10000000);
  form.SetBookmarkItem(&item);
  form.EditRow->end(false);
  QTest::keyClick(form.EditRow, Qt::Key_Backspace);
  EXPECT_EQ(Q8(form.EditRow->text()), "1000000");
}

TEST_F(FormBookmarkItemEditTest, AutomationFailureInAChangeHandlerLeavesTheDialogUsable) {
  Open();
  int result = -1;
  {
    ModalAnswers driver({
        [&](QWidget* modal) {
          ASSERT_EQ(modal, &form);
          // The workbook was closed in the spreadsheet after the list was filled.
          server.books.erase(server.books.begin() + 1);
          QTest::keyClick(form.ComboBoxBook, Qt::Key_Down);
          EXPECT_EQ(warnings.Texts(), std::vector<std::string>{kOutOfRange});
          EXPECT_EQ(QApplication::overrideCursor(), nullptr);
          EXPECT_EQ(form.GetLastBookIndex(), 1);
          EXPECT_EQ(form.ComboBoxWorksheet->count(), 0);
        },
        [&](QWidget* modal) {
          ASSERT_EQ(modal, &form);
          QTest::keyClick(form.ComboBoxBook, Qt::Key_Up);
          EXPECT_EQ(Entries(form.ComboBoxWorksheet), (std::vector<std::string>{"Data", "Summary"}));
          Type("B", "2");
          QTest::mouseClick(form.BtnOk, Qt::LeftButton);
        },
    });
    result = form.exec();
    EXPECT_TRUE(driver.AllStepsRan());
  }
  EXPECT_EQ(result, QDialog::Accepted);
  auto item = form.CreateBookmarkItem();
  EXPECT_EQ(U8(item->BookName), "Report.xlsx");
  EXPECT_EQ(U8(item->SheetName), "Data");
  EXPECT_EQ(item->Column, 1);
  EXPECT_EQ(item->Row, 1);
}

TEST_F(FormBookmarkItemEditTest, OkRefusesBadInputInAWarningBoxAndKeepsTheDialogOpen) {
  // The real box this time, answered like a user would.
  const RealWarningBoxes realBox;
  QString title, text, button;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int result = -1;
  Open();
  {
    ModalAnswers driver({
        [&](QWidget*) {
          Type("C", "");
          QTest::mouseClick(form.BtnOk, Qt::LeftButton);
        },
        [&](QWidget* modal) {
          auto* box = qobject_cast<QMessageBox*>(modal);
          ASSERT_NE(box, nullptr);
          title = box->windowTitle();
          text = box->text();
          icon = box->icon();
          ASSERT_EQ(box->buttons().size(), 1);
          button = box->buttons().front()->text();
          box->buttons().front()->click();
        },
        [&](QWidget* modal) {
          ASSERT_EQ(modal, &form);
          EXPECT_EQ(form.focusWidget(), form.EditRow);
          EXPECT_EQ(Q8(form.EditCol->text()), "C");
          QTest::keyClicks(form.EditRow, "9");
          QTest::keyClick(form.EditName, Qt::Key_Return);
        },
    });
    result = form.exec();
    EXPECT_TRUE(driver.AllStepsRan());
  }
  EXPECT_EQ(Q8(title), "警告");
  EXPECT_EQ(Q8(text), "行には「1」から「1048576」までの行番号を入力してください。");
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(Q8(button), "OK");
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(form.CreateBookmarkItem()->Row, 8);
}

TEST_F(FormBookmarkItemEditTest, CancelEscAndCloseBoxRejectWithoutChecking) {
  const std::pair<const char*, std::function<void()>> closers[] = {
      {"cancel button", [&] { QTest::mouseClick(form.BitBtn2, Qt::LeftButton); }},
      {"Esc", [&] { QTest::keyClick(form.EditCol, Qt::Key_Escape); }},
      {"close box", [&] { form.close(); }},
  };
  Open();
  for (const auto& [name, close] : closers) {
    SCOPED_TRACE(name);
    ModalAnswers driver({[&](QWidget*) {
      Type("XFE", "");
      close();
    }});
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(driver.AllStepsRan());
    EXPECT_TRUE(warnings.Texts().empty());
  }
}

TEST_F(FormBookmarkItemEditTest, ReferenceShowsTheCellInTheApplicationAndStaysOpen) {
  Open();
  form.ComboBoxWorksheet->setCurrentIndex(1);
  form.ComboBoxWorksheetChange();
  Type("c", "5");
  server.ClearCalls();
  QTest::mouseClick(form.BtnReffer, Qt::LeftButton);

  EXPECT_TRUE(warnings.Texts().empty());
  EXPECT_EQ(server.activeBook, 0);
  EXPECT_EQ(U8(server.books[0].sheets[static_cast<size_t>(server.activeSheet)].name), "Summary");
  EXPECT_EQ(server.activeColumn, 3);
  EXPECT_EQ(server.activeRow, 5);
  EXPECT_EQ(server.bringToFrontCount, 1);
  EXPECT_EQ(form.result(), 0);
}

TEST_F(FormBookmarkItemEditTest, ReferenceWithBadInputDoesNotContactTheApplication) {
  Open();
  Type("XFE", "1");
  server.ClearCalls();
  QTest::mouseClick(form.BtnReffer, Qt::LeftButton);
  EXPECT_EQ(warnings.Texts(),
            std::vector<std::string>{"列には「A」から「XFD」までの列名を入力してください。"});
  EXPECT_EQ(server.CallCount(), 0u);
}

TEST_F(FormBookmarkItemEditTest, ReferenceFailuresGoToAWarningBoxAndTheStatusBar) {
  const std::pair<const char*, std::function<void()>> failures[] = {
      // The dialog's own connection would still answer: the button must connect afresh.
      {"Excelに接続できませんでした。", [&] { server.Revoke(); }},
      {kOutOfRange, [&] { server.books[0].sheets.erase(server.books[0].sheets.begin()); }},
  };
  for (const auto& [message, fail] : failures) {
    SCOPED_TRACE(message);
    server.Register();
    Open();
    warnings.boxes.clear();
    fail();
    QTest::mouseClick(form.BtnReffer, Qt::LeftButton);
    EXPECT_EQ(warnings.Texts(), std::vector<std::string>{message});
    EXPECT_EQ(Q8(form.GetStatusText()), message);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.result(), 0);
  }
}

TEST_F(FormBookmarkItemEditTest, TheStatusBarShowsTheLongHintOfTheControlUnderThePointer) {
  Open();
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(form.BtnReffer, &enter);
  EXPECT_EQ(Q8(form.GetStatusText()), "指定されたセルを参照します。");
  EXPECT_EQ(Q8(form.BtnReffer->toolTip()), "指定されたセルを参照する");
  QApplication::sendEvent(form.EditRow, &enter);
  EXPECT_EQ(Q8(form.GetStatusText()), "「1」から「1048576」までの行番号を入力してください。");
  QApplication::sendEvent(form.EditName, &enter);
  EXPECT_EQ(Q8(form.GetStatusText()),
            "ブックマーク名を入力します。空欄の場合は自動的に設定されます。");
}

TEST_F(FormBookmarkItemEditTest, F1AsksForTopic12) {
  Open();
  QTest::keyClick(form.EditCol, Qt::Key_F1);  // no viewer plugged in: nothing happens
  std::vector<int> topics;
  form.OnHelp = [&](int topic) { topics.push_back(topic); };
  QTest::keyClick(form.EditCol, Qt::Key_F1);
  QTest::keyClick(form.ComboBoxBook, Qt::Key_F1);
  EXPECT_EQ(topics, (std::vector<int>{12, 12}));
}

}  // namespace
}  // namespace kestrine::test
