// The Excel wrappers against a real headless LibreOffice Calc holding the sample workbooks.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Office.h"
#include "base/Exception.h"
#include "excel/Excel.h"
#include "excel/uno/UnoBackend.h"

namespace kestrine::calc {
namespace {

using Clock = std::chrono::steady_clock;

// The message of the Exception the call raises, as UTF-8 for readable failures.
std::string Failure(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(no exception)";
}

std::string Utf8(const UnicodeString& text) {
  return ToUtf8(text);
}

struct SheetRow {
  std::string name;
  int visible;
  bool operator==(const SheetRow&) const = default;
};
void PrintTo(const SheetRow& row, std::ostream* out) {
  *out << row.name << "=" << row.visible;
}

class CalcBackend : public testing::Test {
 protected:
  static void SetUpTestSuite() { office_ = std::make_unique<Office>("backend"); }
  static void TearDownTestSuite() { office_.reset(); }

  void SetUp() override {
    office_->OpenSamples();
    excel_ = TExcel::Connect();
    ASSERT_TRUE(excel_);
  }

  std::vector<SheetRow> Sheets(const char* book) {
    std::vector<SheetRow> rows;
    Excel::TWorksheets sheets = excel_->Workbooks().Item(FromUtf8(book)).WorkSheets();
    const int count = sheets.Count();
    for (int i = 1; i <= count; ++i) {
      Excel::TWorksheet sheet = sheets.Item(i);
      rows.push_back({Utf8(sheet.Name()), sheet.Visible()});
    }
    return rows;
  }

  static std::unique_ptr<Office> office_;
  std::unique_ptr<TExcel> excel_;
};

std::unique_ptr<Office> CalcBackend::office_;

TEST(CalcOfficeMessage, DropsTheSourceLocationAndIsNeverEmpty) {
  const struct {
    const char16_t* message;
    const char* shown;
  } cases[] = {
      {u"Connector : couldn't connect to pipe \"x\": 10 at ./io/source/connector/connector.cxx:94",
       "Connector : couldn't connect to pipe \"x\": 10"},
      {u"at ./sfx2/source/doc/sfxbasemodel.cxx:2980",
       "表計算ソフトがエラーを返しました（com.sun.star.lang.IllegalArgumentException）。"},
      {u"  ", "表計算ソフトがエラーを返しました（com.sun.star.lang.IllegalArgumentException）。"},
      {u"Meet at 10:30", "Meet at 10:30"},
      {u"Look at it", "Look at it"},
      {u"シートがありません", "シートがありません"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8(uno::OfficeMessage(c.message, u"com.sun.star.lang.IllegalArgumentException")),
              c.shown);
}

TEST_F(CalcBackend, WorkbooksAreListedOldestFirstWhateverIsActive) {
  auto names = [&] {
    std::vector<std::string> result;
    Excel::TWorkbooks books = excel_->Workbooks();
    for (int i = 1, n = books.Count(); i <= n; ++i) result.push_back(Utf8(books.Item(i).Name()));
    return result;
  };
  const std::vector<std::string> samples = {"Budget.xlsx", "予定表.xlsx", "Inventory.ods"};
  EXPECT_EQ(names(), samples);

  excel_->Workbooks().Item(1).Activate();
  EXPECT_EQ(Utf8(office_->CurrentTitle()), "Budget.xlsx");
  EXPECT_EQ(names(), samples);

  const std::string added = Utf8(office_->OpenNewSpreadsheet(1));
  std::vector<std::string> withNew = samples;
  withNew.push_back(added);
  EXPECT_EQ(names(), withNew);
}

TEST_F(CalcBackend, WorkbookByNameAndItsFailures) {
  EXPECT_EQ(Utf8(excel_->Workbooks().Item(u"予定表.xlsx").Name()), "予定表.xlsx");

  const struct {
    std::function<void(Excel::TWorkbooks&)> call;
    const char* message;
  } cases[] = {
      {[](auto& b) { b.Item(0); }, "ブックの番号 0 は範囲外です（ブック数 3）。"},
      {[](auto& b) { b.Item(4); }, "ブックの番号 4 は範囲外です（ブック数 3）。"},
      {[](auto& b) { b.Item(-1); }, "ブックの番号 -1 は範囲外です（ブック数 3）。"},
      {[](auto& b) { b.Item(u"Budget"); }, "ブック「Budget」は開かれていません。"},
      {[](auto& b) { b.Item(u"budget.xlsx"); }, "ブック「budget.xlsx」は開かれていません。"},
      {[](auto& b) { b.Item(u""); }, "ブック「」は開かれていません。"},
  };
  Excel::TWorkbooks books = excel_->Workbooks();
  for (const auto& c : cases) EXPECT_EQ(Failure([&] { c.call(books); }), c.message);
}

TEST_F(CalcBackend, SheetsInTabOrderWithHiddenOnesReadAsNotVisible) {
  // Rates is very hidden in the file; the office cannot tell it from hidden.
  EXPECT_EQ(Sheets("Budget.xlsx"), (std::vector<SheetRow>{{"Summary", -1},
                                                          {"January", -1},
                                                          {"February", -1},
                                                          {"Notes", 0},
                                                          {"Rates", 0},
                                                          {"March", -1}}));
  EXPECT_EQ(Sheets("予定表.xlsx"),
            (std::vector<SheetRow>{{"4月", -1}, {"5月", -1}, {"作業メモ", 0}, {"6月 後半", -1}}));
  EXPECT_EQ(Sheets("Inventory.ods"),
            (std::vector<SheetRow>{{"Stock", -1}, {"Suppliers", -1}, {"Archive", 0}}));
}

TEST_F(CalcBackend, SheetByNameAndItsFailures) {
  Excel::TWorksheets sheets = excel_->Workbooks().Item(u"Budget.xlsx").WorkSheets();
  EXPECT_EQ(Utf8(sheets.Item(u"Notes").Name()), "Notes");
  EXPECT_EQ(sheets.Item(u"Notes").Visible(), 0);
  EXPECT_EQ(Failure([&] { sheets.Item(0); }), "シートの番号 0 は範囲外です（シート数 6）。");
  EXPECT_EQ(Failure([&] { sheets.Item(7); }), "シートの番号 7 は範囲外です（シート数 6）。");
  EXPECT_EQ(Failure([&] { sheets.Item(u"Nope"); }), "シート「Nope」が見つかりません。");
  // As in Excel, sheet names are found whatever their case (the office keeps them unique so).
  EXPECT_EQ(Utf8(sheets.Item(u"summary").Name()), "Summary");
}

TEST_F(CalcBackend, ActivateSheetShowsTheSheetAndTheCell) {
  excel_->ActivateSheet(u"予定表.xlsx", u"5月", 3, 7);
  EXPECT_EQ(Utf8(office_->CurrentTitle()), "予定表.xlsx");
  EXPECT_EQ(Utf8(office_->ActiveSheetName(u"予定表.xlsx")), "5月");
  EXPECT_EQ(office_->SelectedCell(u"予定表.xlsx"), std::make_pair(3, 7));

  // The same, read through the wrappers a bookmark is made from.
  EXPECT_EQ(Utf8(excel_->ActiveWorkbook().Name()), "予定表.xlsx");
  EXPECT_EQ(Utf8(excel_->ActiveSheet().Name()), "5月");
  Excel::TRange cell = excel_->ActiveCell();
  EXPECT_EQ(cell.Column(), 3);
  EXPECT_EQ(cell.Row(), 7);

  // The largest cell of the sheet.
  excel_->ActivateSheet(u"Budget.xlsx", u"March", 16384, 1048576);
  EXPECT_EQ(office_->SelectedCell(u"Budget.xlsx"), std::make_pair(16384, 1048576));
}

TEST_F(CalcBackend, ActivateSheetWithoutACellLeavesTheSelectionAlone) {
  const std::pair<int, int> cells[] = {{-1, 5}, {4, -1}, {-1, -1}};
  for (const auto& [column, row] : cells) {
    excel_->ActivateSheet(u"Budget.xlsx", u"February", 2, 2);
    excel_->ActivateSheet(u"Inventory.ods", u"Stock", 1, 1);
    excel_->ActivateSheet(u"Budget.xlsx", u"February", column, row);
    EXPECT_EQ(Utf8(office_->CurrentTitle()), "Budget.xlsx");
    EXPECT_EQ(Utf8(office_->ActiveSheetName(u"Budget.xlsx")), "February");
    EXPECT_EQ(office_->SelectedCell(u"Budget.xlsx"), std::make_pair(2, 2)) << column << ", " << row;
  }
}

TEST_F(CalcBackend, ActivateSheetFailuresStopWhereTheyHappen) {
  excel_->ActivateSheet(u"Inventory.ods", u"Suppliers", 1, 1);

  EXPECT_EQ(Failure([&] { excel_->ActivateSheet(u"Gone.xlsx", u"Summary", 1, 1); }),
            "ブック「Gone.xlsx」は開かれていません。");
  EXPECT_EQ(Utf8(office_->CurrentTitle()), "Inventory.ods");

  // The workbook is activated before the sheet is looked up.
  EXPECT_EQ(Failure([&] { excel_->ActivateSheet(u"Budget.xlsx", u"Gone", 1, 1); }),
            "シート「Gone」が見つかりません。");
  EXPECT_EQ(Utf8(office_->CurrentTitle()), "Budget.xlsx");

  // The office would quietly show some other sheet: refuse instead.
  const std::string before = Utf8(office_->ActiveSheetName(u"Budget.xlsx"));
  for (const char16_t* hidden : {u"Notes", u"Rates"}) {
    EXPECT_EQ(Failure([&] { excel_->ActivateSheet(u"Budget.xlsx", hidden, -1, -1); }),
              "シート「" + Utf8(hidden) + "」は非表示のため、アクティブにできません。");
    EXPECT_EQ(Utf8(office_->ActiveSheetName(u"Budget.xlsx")), before);
  }
}

TEST_F(CalcBackend, CellsRowsAndColumns) {
  Excel::TWorksheet sheet = excel_->Workbooks().Item(u"Budget.xlsx").WorkSheets().Item(u"Summary");
  Excel::TRange b5 = sheet.Cells(2, 5);
  EXPECT_EQ(b5.Column(), 2);
  EXPECT_EQ(b5.Row(), 5);
  EXPECT_EQ(b5.Count(), 1);
  EXPECT_EQ(sheet.Rows().Count(), 1048576);
  EXPECT_EQ(sheet.Columns().Count(), 16384);

  const std::pair<int, int> outside[] = {{0, 1}, {1, 0}, {16385, 1}, {1, 1048577}, {-3, -3}};
  for (const auto& [column, row] : outside)
    EXPECT_EQ(Failure([&] { sheet.Cells(column, row); }), "セル（行 " + std::to_string(row) +
                                                              "、列 " + std::to_string(column) +
                                                              "）はシートの範囲外です。");

  // A cell of a sheet that is not the active one cannot become the active cell.
  excel_->ActivateSheet(u"Budget.xlsx", u"January", -1, -1);
  EXPECT_EQ(Failure([&] { sheet.Cells(1, 1).Activate(); }),
            "アクティブでないシートのセルはアクティブにできません。");
  EXPECT_EQ(Utf8(office_->ActiveSheetName(u"Budget.xlsx")), "January");
}

TEST_F(CalcBackend, ActiveCellFollowsTheUsersSelection) {
  excel_->ActivateSheet(u"Inventory.ods", u"Suppliers", -1, -1);
  office_->SelectCell(u"Inventory.ods", 28, 1000);  // AB1000
  Excel::TRange cell = excel_->ActiveCell();
  EXPECT_EQ(cell.Column(), 28);
  EXPECT_EQ(cell.Row(), 1000);
  EXPECT_EQ(Utf8(excel_->ActiveSheet().Name()), "Suppliers");
  EXPECT_EQ(Utf8(excel_->ActiveWorkbook().Name()), "Inventory.ods");
  EXPECT_EQ(excel_->ActiveSheet().Visible(), -1);
}

TEST_F(CalcBackend, NothingOpen) {
  office_->CloseAll();
  EXPECT_EQ(excel_->Workbooks().Count(), 0);
  EXPECT_EQ(Failure([&] { excel_->Workbooks().Item(1); }),
            "ブックの番号 1 は範囲外です（ブック数 0）。");
  EXPECT_EQ(Failure([&] { excel_->ActiveWorkbook(); }), "アクティブなブックがありません。");
  EXPECT_EQ(Failure([&] { excel_->ActiveCell(); }), "アクティブなブックがありません。");
}

TEST_F(CalcBackend, AWorkbookClosedUnderAWrapperFailsWithoutLosingTheConnection) {
  Excel::TWorkbook book = excel_->Workbooks().Item(u"Inventory.ods");
  Excel::TWorksheet sheet = book.WorkSheets().Item(1);
  Excel::TRange rows = sheet.Rows();
  office_->CloseAll();
  // The office answers some of these with null references: no crash, a clear text.
  const std::string gone = Utf8(uno::kGoneMessage);
  EXPECT_EQ(Failure([&] { book.Name(); }), gone);
  // The sheets container is the workbook object's own once asked for: the failure comes with
  // its first use.
  EXPECT_EQ(Failure([&] { book.WorkSheets().Count(); }), gone);
  EXPECT_EQ(Failure([&] { book.WorkSheets().Item(1); }), gone);
  EXPECT_EQ(Failure([&] { book.Activate(); }), gone);
  EXPECT_EQ(Failure([&] { sheet.Name(); }), gone);
  EXPECT_EQ(Failure([&] { rows.Count(); }), gone);
  const std::string visible = Failure([&] { sheet.Visible(); });
  EXPECT_FALSE(visible.empty());
  EXPECT_NE(visible, "(no exception)");
  EXPECT_EQ(excel_->Workbooks().Count(), 0);
}

TEST_F(CalcBackend, MemberNamesAndArgumentsAreChecked) {
  std::optional<ActiveObject> active = GetActiveObject(u"Excel.Application");
  ASSERT_TRUE(active);
  AutomationObject& app = *active->application;
  // Names are matched without regard to case, as COM does.
  Variant books = app.Invoke(u"WORKBOOKS", CallKind::PropertyGet, {});
  EXPECT_EQ(books.ToObject()->Invoke(u"count", CallKind::PropertyGet, {}).ToInt(), 3);

  EXPECT_EQ(Failure([&] { app.Invoke(u"Quit", CallKind::Method, {}); }),
            "「Quit」というメンバーはありません。");
  EXPECT_EQ(Failure([&] { books.ToObject()->Invoke(u"item", CallKind::PropertyGet, {}); }),
            "「item」の引数が正しくありません。");
  EXPECT_EQ(
      Failure([&] { books.ToObject()->Invoke(u"Count", CallKind::PropertyGet, {Variant(1)}); }),
      "「Count」の引数が正しくありません。");
  Variant sheet = books.ToObject()
                      ->Invoke(u"item", CallKind::PropertyGet, {Variant(1)})
                      .ToObject()
                      ->Invoke(u"WorkSheets", CallKind::PropertyGet, {})
                      .ToObject()
                      ->Invoke(u"item", CallKind::PropertyGet, {Variant(1)});
  EXPECT_EQ(Failure([&] {
              sheet.ToObject()->Invoke(u"Cells", CallKind::PropertyGet,
                                       {Variant(1), Variant(UnicodeString(u"A"))});
            }),
            "「Cells」の引数が正しくありません。");
  EXPECT_FALSE(GetActiveObject(u"Word.Application"));
}

TEST_F(CalcBackend, NoOfficeOnThePipeMeansNoConnectionAtOnce) {
  uno::SetPipeNameForTesting(office_->Pipe() + "-nobody");
  const auto start = Clock::now();
  std::unique_ptr<TExcel> none = TExcel::Connect();
  const auto took = Clock::now() - start;
  uno::SetPipeNameForTesting(office_->Pipe());
  EXPECT_FALSE(none);
  EXPECT_LT(took, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace kestrine::calc
