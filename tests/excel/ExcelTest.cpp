#include <gtest/gtest.h>

#include "base/Exception.h"
#include "excel/Excel.h"
#include "support/AutomationServer.h"

using namespace kestrine::test;
using Calls = std::vector<std::string>;

namespace {

struct ExcelFixture : ::testing::Test {
  AutomationServer server;
  std::unique_ptr<TExcel> excel;
  void SetUp() override {
    server.AddBook("Report.xlsx", {"Data", "Hidden", "Sum"}).sheets[1].visible = 0;
    server.AddBook("Budget.xlsx", {"Q1"});
    server.Register();
    excel = TExcel::Connect();
    ASSERT_TRUE(excel);
  }
};

}  // namespace

TEST(ExcelConnect, NothingRegisteredMeansNoConnection) {
  // The backend of this platform may look for a real application; none runs in unit tests.
  EXPECT_EQ(TExcel::Connect(), nullptr);
  {
    AutomationServer server;
    server.Register();
    EXPECT_NE(TExcel::Connect(), nullptr);
  }
  EXPECT_EQ(TExcel::Connect(), nullptr);  // revoked with the server
}

TEST_F(ExcelFixture, EachWrapperIsOneCallWithTheMembersNameAndArguments) {
  auto books = excel->Workbooks();
  EXPECT_EQ(books.Count(), 2);
  auto book = books.Item(1);
  EXPECT_EQ(book.Name(), u"Report.xlsx");
  auto sheets = book.WorkSheets();
  EXPECT_EQ(sheets.Count(), 3);
  auto hidden = sheets.Item(2);
  EXPECT_EQ(hidden.Name(), u"Hidden");
  EXPECT_EQ(hidden.Visible(), 0);
  auto sum = books.Item(u"Report.xlsx").WorkSheets().Item(u"Sum");
  EXPECT_EQ(sum.Rows().Count(), 1048576);
  EXPECT_EQ(sum.Columns().Count(), 16384);
  auto cell = sum.Cells(2, 5);
  EXPECT_EQ(cell.Column(), 2);
  EXPECT_EQ(cell.Row(), 5);
  EXPECT_EQ(server.CallStrings(),
            (Calls{"Application.Workbooks()", "Workbooks.Count()", "Workbooks.item(1)",
                   "Workbook(Report.xlsx).Name()", "Workbook(Report.xlsx).WorkSheets()",
                   "Worksheets(Report.xlsx).Count()", "Worksheets(Report.xlsx).item(2)",
                   "Worksheet(Report.xlsx!Hidden).Name()", "Worksheet(Report.xlsx!Hidden).Visible()",
                   "Workbooks.item(\"Report.xlsx\")", "Workbook(Report.xlsx).WorkSheets()",
                   "Worksheets(Report.xlsx).item(\"Sum\")", "Worksheet(Report.xlsx!Sum).Rows()",
                   "Rows(Report.xlsx!Sum).Count()", "Worksheet(Report.xlsx!Sum).Columns()",
                   "Columns(Report.xlsx!Sum).Count()", "Worksheet(Report.xlsx!Sum).Cells(5, 2)",
                   "Range(Report.xlsx!Sum!R5C2).Column()", "Range(Report.xlsx!Sum!R5C2).Row()"}));
  // Nothing is cached: asking again calls again.
  server.ClearCalls();
  EXPECT_EQ(books.Count(), 2);
  EXPECT_EQ(books.Count(), 2);
  EXPECT_EQ(server.CallCount(), 2u);
}

TEST_F(ExcelFixture, VisibleSheetsAreVisitedInOrderAndAFailureKeepsThoseBefore) {
  server.books[0].sheets.push_back({u"VeryHidden", 2});
  server.books[0].sheets.push_back({u"Last", -1});
  auto book = excel->Workbooks().Item(1);
  std::vector<std::string> names;
  auto visit = [&](const UnicodeString& name) { names.push_back(U8(name)); };
  Excel::ForEachVisibleSheet(book, visit);
  EXPECT_EQ(names, (std::vector<std::string>{"Data", "Sum", "Last"}));

  names.clear();
  server.FailCallsMatching("Worksheet(Report.xlsx!Last).Visible", u"失敗");
  EXPECT_THROW(Excel::ForEachVisibleSheet(book, visit), Exception);
  EXPECT_EQ(names, (std::vector<std::string>{"Data", "Sum"}));
}

TEST_F(ExcelFixture, ActiveObjects) {
  server.SetActive(u"Budget.xlsx", u"Q1", 3, 7);
  EXPECT_EQ(excel->ActiveWorkbook().Name(), u"Budget.xlsx");
  EXPECT_EQ(excel->ActiveSheet().Name(), u"Q1");
  auto cell = excel->ActiveCell();
  EXPECT_EQ(cell.Column(), 3);
  EXPECT_EQ(cell.Row(), 7);
  EXPECT_EQ(server.calls[0].ToString(), "Application.ActiveWorkbook()");
  EXPECT_EQ(server.calls[2].ToString(), "Application.ActiveSheet()");
  EXPECT_EQ(server.calls[4].ToString(), "Application.ActiveCell()");
}

TEST_F(ExcelFixture, ActivateSheetRunsItsStepsInOrder) {
  struct Case {
    int column, row;
    bool touchesCell;
  };
  for (const Case c : {Case{2, 5, true}, Case{-1, 5, false}, Case{2, -1, false}, Case{-1, -1, false}}) {
    server.ClearCalls();
    server.bringToFrontCount = 0;
    excel->ActivateSheet(u"Report.xlsx", u"Sum", c.column, c.row);
    Calls expected{"Application.Workbooks()", "Workbooks.item(\"Report.xlsx\")",
                   "Workbook(Report.xlsx).Activate()", "Workbook(Report.xlsx).WorkSheets()",
                   "Worksheets(Report.xlsx).item(\"Sum\")", "Worksheet(Report.xlsx!Sum).Activate()"};
    if (c.touchesCell) {
      expected.push_back("Worksheet(Report.xlsx!Sum).Cells(5, 2)");
      expected.push_back("Range(Report.xlsx!Sum!R5C2).Activate()");
    }
    expected.push_back("Window.BringToFront()");
    EXPECT_EQ(server.CallStrings(), expected) << c.column << "," << c.row;
    EXPECT_EQ(server.bringToFrontCount, 1);
    EXPECT_EQ(server.activeBook, 0);
    EXPECT_EQ(server.activeSheet, 2);
  }
  EXPECT_EQ(server.activeColumn, 2);
  EXPECT_EQ(server.activeRow, 5);
}

TEST_F(ExcelFixture, ActivateSheetStopsAtTheFirstFailure) {
  // A renamed sheet: the workbook is activated, then the failure; no cell, no window.
  try {
    excel->ActivateSheet(u"Budget.xlsx", u"Gone", 1, 1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"インデックスが有効範囲にありません。");
  }
  EXPECT_EQ(server.activeBook, 1);
  EXPECT_EQ(server.bringToFrontCount, 0);
  EXPECT_EQ(server.CallStrings().back(), "Worksheets(Budget.xlsx).item(\"Gone\")");

  // A hidden sheet cannot be activated; neither can a cell outside the sheet.
  EXPECT_THROW(excel->ActivateSheet(u"Report.xlsx", u"Hidden", -1, -1), Exception);
  EXPECT_THROW(excel->ActivateSheet(u"Report.xlsx", u"Data", 16385, 1), Exception);
  EXPECT_EQ(server.bringToFrontCount, 0);
  EXPECT_THROW(excel->ActivateSheet(u"Closed.xlsx", u"Data", 1, 1), Exception);
}

TEST_F(ExcelFixture, NoMainWindowIsNoError) {
  server.mainWindowPresent = false;
  EXPECT_NO_THROW(excel->ActivateSheet(u"Report.xlsx", u"Data", -1, -1));
  EXPECT_EQ(server.bringToFrontCount, 0);
}

TEST_F(ExcelFixture, FailuresCarryTheApplicationsMessage) {
  auto books = excel->Workbooks();
  for (const int index : {0, 3, -1}) {
    try {
      books.Item(index);
      ADD_FAILURE() << index;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"インデックスが有効範囲にありません。");
    }
  }
  EXPECT_THROW(books.Item(u"Nope.xlsx"), Exception);
  server.FailCallsMatching("Workbooks.Count", u"Excel は応答していません。");
  try {
    books.Count();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Excel は応答していません。");
  }
  server.DropConnection();
  try {
    books.Item(1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), AutomationServer::DroppedMessage());
  }
}

TEST_F(ExcelFixture, AFailureWithoutATextStillSaysSomething) {
  server.FailCallsMatching("Workbooks.Count", u"");
  try {
    excel->Workbooks().Count();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_FALSE(e.Message().empty());
    EXPECT_NE(e.Message().find(u"Count"), UnicodeString::npos);
  }
}

TEST_F(ExcelFixture, NoWorkbookOpen) {
  server.books.clear();
  EXPECT_EQ(excel->Workbooks().Count(), 0);
  EXPECT_THROW(excel->ActiveWorkbook().Name(), Exception);  // Excel answers Nothing
}

TEST(Variant, Conversions) {
  EXPECT_EQ(Variant(42).ToInt(), 42);
  EXPECT_EQ(Variant(42).ToString(), u"42");
  EXPECT_EQ(Variant(UnicodeString(u"17")).ToInt(), 17);
  EXPECT_EQ(Variant(UnicodeString(u"表")).ToString(), u"表");
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_THROW(Variant(UnicodeString(u"x")).ToInt(), Exception);
  EXPECT_THROW(Variant(7).ToObject(), Exception);
  EXPECT_THROW(Variant().ToObject(), Exception);
  AutomationServer server;
  server.Register();
  auto app = GetActiveObject(u"Excel.Application")->application;
  const Variant object(app);
  EXPECT_THROW(object.ToInt(), Exception);
  EXPECT_THROW(object.ToString(), Exception);
  const Variant copy = object;
  EXPECT_EQ(copy.ToObject(), app);
}
