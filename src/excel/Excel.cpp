#include "excel/Excel.h"

#include "base/Exception.h"

namespace {

// Every call goes through here, so no failure ever reaches the user without a text.
Variant InvokeOn(const Variant& object, const char16_t* name, CallKind kind,
                 const std::vector<Variant>& args) {
  try {
    return object.ToObject()->Invoke(name, kind, args);
  } catch (const Exception& e) {
    if (!e.Message().empty()) throw;
    throw Exception(kestrine::FormatS(u"Excelの呼び出し（%s）に失敗しました。", {name}));
  }
}

}  // namespace

namespace Excel {

Variant TDispatchWrapper::Get(const char16_t* name, std::vector<Variant> args) {
  return InvokeOn(object_, name, CallKind::PropertyGet, args);
}

void TDispatchWrapper::Call(const char16_t* name) {
  InvokeOn(object_, name, CallKind::Method, {});
}

int TWorkbooks::Count() { return Get(u"Count").ToInt(); }
TWorkbook TWorkbooks::Item(int index) { return TWorkbook(Get(u"item", {index})); }
TWorkbook TWorkbooks::Item(const UnicodeString& name) { return TWorkbook(Get(u"item", {name})); }

UnicodeString TWorkbook::Name() { return Get(u"Name").ToString(); }
TWorksheets TWorkbook::WorkSheets() { return TWorksheets(Get(u"WorkSheets")); }
void TWorkbook::Activate() { Call(u"Activate"); }

int TWorksheets::Count() { return Get(u"Count").ToInt(); }
TWorksheet TWorksheets::Item(int index) { return TWorksheet(Get(u"item", {index})); }
TWorksheet TWorksheets::Item(const UnicodeString& name) { return TWorksheet(Get(u"item", {name})); }

UnicodeString TWorksheet::Name() { return Get(u"Name").ToString(); }
int TWorksheet::Visible() { return Get(u"Visible").ToInt(); }
void TWorksheet::Activate() { Call(u"Activate"); }
TRange TWorksheet::Cells(int column, int row) { return TRange(Get(u"Cells", {row, column})); }
TRange TWorksheet::Rows() { return TRange(Get(u"Rows")); }
TRange TWorksheet::Columns() { return TRange(Get(u"Columns")); }

int TRange::Count() { return Get(u"Count").ToInt(); }
int TRange::Column() { return Get(u"Column").ToInt(); }
int TRange::Row() { return Get(u"Row").ToInt(); }
void TRange::Activate() { Call(u"Activate"); }

void ForEachVisibleSheet(TWorkbook& workbook,
                         const std::function<void(const UnicodeString&)>& visit) {
  // Hidden and very hidden sheets both answer other than -1.
  constexpr int kVisible = -1;
  const int count = workbook.WorkSheets().Count();
  for (int i = 1; i <= count; ++i) {
    TWorksheet sheet = workbook.WorkSheets().Item(i);
    if (sheet.Visible() == kVisible) visit(sheet.Name());
  }
}

}  // namespace Excel

TExcel::TExcel(Variant application, std::function<void()> bringMainWindowToFront)
    : application_(std::move(application)),
      bringMainWindowToFront_(std::move(bringMainWindowToFront)) {}

TExcel::~TExcel() = default;

std::unique_ptr<TExcel> TExcel::Connect() {
  auto active = GetActiveObject(u"Excel.Application");
  if (!active || !active->application) return nullptr;
  return std::unique_ptr<TExcel>(
      new TExcel(Variant(active->application), std::move(active->bringMainWindowToFront)));
}

namespace {
Variant GetFrom(const Variant& object, const char16_t* name) {
  return InvokeOn(object, name, CallKind::PropertyGet, {});
}
}  // namespace

Excel::TWorkbooks TExcel::Workbooks() { return Excel::TWorkbooks(GetFrom(application_, u"Workbooks")); }
Excel::TWorkbook TExcel::ActiveWorkbook() {
  return Excel::TWorkbook(GetFrom(application_, u"ActiveWorkbook"));
}
Excel::TWorksheet TExcel::ActiveSheet() {
  return Excel::TWorksheet(GetFrom(application_, u"ActiveSheet"));
}
Excel::TRange TExcel::ActiveCell() { return Excel::TRange(GetFrom(application_, u"ActiveCell")); }

void TExcel::ActivateSheet(const UnicodeString& book, const UnicodeString& sheet, int column,
                           int row) {
  Excel::TWorkbook workbook = Workbooks().Item(book);
  workbook.Activate();
  Excel::TWorksheet worksheet = workbook.WorkSheets().Item(sheet);
  worksheet.Activate();
  if (column != -1 && row != -1) worksheet.Cells(column, row).Activate();
  if (bringMainWindowToFront_) bringMainWindowToFront_();
}
