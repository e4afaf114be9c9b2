// The member names of the automation contract, answered from the LibreOffice Calc API.
#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <com/sun/star/awt/XTopWindow2.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include "base/Exception.h"
#include "excel/Automation.h"
#include "excel/uno/UnoBackend.h"
#include "excel/uno/UnoConnection.h"

namespace kestrine::uno {

namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;

using Document = Reference<css::sheet::XSpreadsheetDocument>;
using Sheet = Reference<css::sheet::XSpreadsheet>;

// Member names are matched as COM matches them: ASCII letters without regard to case.
bool IsMember(const UnicodeString& name, std::u16string_view member) {
  return std::equal(name.begin(), name.end(), member.begin(), member.end(),
                    [](char16_t a, char16_t b) {
                      auto lower = [](char16_t c) {
                        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
                      };
                      return lower(a) == lower(b);
                    });
}

[[noreturn]] void ThrowUnknownMember(const UnicodeString& name) {
  throw Exception(FormatS(u"「%s」というメンバーはありません。", {name}));
}

[[noreturn]] void ThrowBadArguments(const UnicodeString& name) {
  throw Exception(FormatS(u"「%s」の引数が正しくありません。", {name}));
}

void ExpectArgs(const UnicodeString& name, const std::vector<Variant>& args, size_t count) {
  if (args.size() != count) ThrowBadArguments(name);
  for (const Variant& arg : args)
    if (!arg.IsInt()) ThrowBadArguments(name);
}

// A document closed or a sheet deleted under a live object: the office hands out null
// references then, or objects that answer nothing.
[[noreturn]] void ThrowGone() {
  throw Exception(kGoneMessage);
}

template <class Interface>
Reference<Interface> Must(Reference<Interface> reference) {
  if (!reference.is()) ThrowGone();
  return reference;
}

template <class Interface, class Source>
Reference<Interface> Query(const Source& source) {
  Reference<Interface> reference(source, UNO_QUERY);
  if (!reference.is()) ThrowGone();
  return reference;
}

// The spreadsheet documents in the order they were opened. The desktop lists its
// components newest first (also the Start Center and other kinds of document).
std::vector<Document> OpenSpreadsheets(Connection& connection) {
  std::vector<Document> documents;
  Reference<css::container::XEnumeration> components =
      Must(Must(connection.Desktop()->getComponents())->createEnumeration());
  while (components->hasMoreElements()) {
    Document document(components->nextElement(), UNO_QUERY);
    if (document.is()) documents.push_back(document);
  }
  std::reverse(documents.begin(), documents.end());
  return documents;
}

UnicodeString TitleOf(const Document& document) {
  return FromOUString(Query<css::frame::XTitle>(document)->getTitle());
}

Reference<css::frame::XController> ControllerOf(const Document& document) {
  return Must(Query<css::frame::XModel>(document)->getCurrentController());
}

Reference<css::sheet::XSpreadsheetView> ViewOf(const Document& document) {
  return Query<css::sheet::XSpreadsheetView>(ControllerOf(document));
}

Document ActiveDocument(Connection& connection) {
  Document document(connection.Desktop()->getCurrentComponent(), UNO_QUERY);
  if (!document.is()) throw Exception(u"アクティブなブックがありません。");
  return document;
}

// A sheet always has a name; a deleted one answers with none.
UnicodeString SheetName(const Sheet& sheet) {
  UnicodeString name = FromOUString(Query<css::container::XNamed>(sheet)->getName());
  if (name.empty()) ThrowGone();
  return name;
}

sal_Int16 SheetIndex(const Reference<css::uno::XInterface>& range) {
  return Query<css::sheet::XCellRangeAddressable>(range)->getRangeAddress().Sheet;
}

bool IsVisible(const Sheet& sheet) {
  bool visible = true;
  if (!(Query<css::beans::XPropertySet>(sheet)->getPropertyValue("IsVisible") >>= visible))
    ThrowGone();
  return visible;
}

// One member of a class: how many integer arguments it takes (kOwnArgs: it checks its own)
// and the function that answers it.
constexpr int kOwnArgs = -1;
template <class Object>
struct Member {
  std::u16string_view name;
  int intArgs;
  Variant (Object::*answer)(const UnicodeString& name, const std::vector<Variant>& args);
};

template <class Object, size_t N>
Variant Dispatch(Object& object, const Member<Object> (&members)[N], const UnicodeString& name,
                 const std::vector<Variant>& args) {
  for (const Member<Object>& member : members) {
    if (!IsMember(name, member.name)) continue;
    if (member.intArgs != kOwnArgs) ExpectArgs(name, args, static_cast<size_t>(member.intArgs));
    return (object.*member.answer)(name, args);
  }
  ThrowUnknownMember(name);
}

class UnoObject : public AutomationObject {
 protected:
  explicit UnoObject(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

  // Runs under the connection's watchdog; every member goes through here, so a dropped
  // connection fails at once.
  template <class Work>
  Variant Run(Work&& work) {
    return connection_->Run(std::forward<Work>(work));
  }

  // Declared in the base, so destroyed after every UNO reference the derived class holds.
  std::shared_ptr<Connection> connection_;
};

enum class RangeKind { Cells, Rows, Columns };

class UnoRange : public UnoObject {
 public:
  UnoRange(std::shared_ptr<Connection> connection, Document document, Sheet sheet,
           Reference<css::table::XCellRange> range, RangeKind kind)
      : UnoObject(std::move(connection)),
        document_(std::move(document)),
        sheet_(std::move(sheet)),
        range_(std::move(range)),
        kind_(kind) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoRange> kMembers[] = {
        {u"Count", 0, &UnoRange::GetCount},
        {u"Column", 0, &UnoRange::GetPosition},
        {u"Row", 0, &UnoRange::GetPosition},
        {u"Activate", 0, &UnoRange::DoActivate},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetCount(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(Count()); });
  }

  Variant GetPosition(const UnicodeString& name, const std::vector<Variant>&) {
    const bool column = IsMember(name, u"Column");
    return Run([&] {
      if (kind_ != RangeKind::Cells) return Variant(1);
      const auto address = Address();
      return Variant(static_cast<int>(column ? address.StartColumn : address.StartRow) + 1);
    });
  }

  Variant DoActivate(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      Activate();
      return Variant();
    });
  }

  css::table::CellRangeAddress Address() {
    return Query<css::sheet::XCellRangeAddressable>(range_)->getRangeAddress();
  }

  int Count() {
    if (kind_ == RangeKind::Rows)
      return Must(Query<css::table::XColumnRowRange>(sheet_)->getRows())->getCount();
    if (kind_ == RangeKind::Columns)
      return Must(Query<css::table::XColumnRowRange>(sheet_)->getColumns())->getCount();
    const auto address = Address();
    const long long cells = (static_cast<long long>(address.EndColumn) - address.StartColumn + 1) *
                            (static_cast<long long>(address.EndRow) - address.StartRow + 1);
    if (cells > INT_MAX) throw Exception(u"セルの数が多すぎて数えられません。");
    return static_cast<int>(cells);
  }

  void Activate() {
    if (kind_ != RangeKind::Cells) throw Exception(u"行や列の集まりはアクティブにできません。");
    Reference<css::sheet::XSpreadsheetView> view = ViewOf(document_);
    // Selecting a cell elsewhere would switch sheets behind the caller's back, even to a
    // hidden one. Sheet objects are made afresh for each request: compare positions.
    if (SheetIndex(Must(view->getActiveSheet())) != SheetIndex(range_))
      throw Exception(u"アクティブでないシートのセルはアクティブにできません。");
    if (!Query<css::view::XSelectionSupplier>(view)->select(Any(range_)))
      throw Exception(u"セルを選択できませんでした。");
  }

  Document document_;
  Sheet sheet_;
  Reference<css::table::XCellRange> range_;
  RangeKind kind_;
};

class UnoWorksheet : public UnoObject {
 public:
  UnoWorksheet(std::shared_ptr<Connection> connection, Document document, Sheet sheet)
      : UnoObject(std::move(connection)),
        document_(std::move(document)),
        sheet_(std::move(sheet)) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoWorksheet> kMembers[] = {
        {u"Name", 0, &UnoWorksheet::GetName},
        {u"Visible", 0, &UnoWorksheet::GetVisible},
        {u"Activate", 0, &UnoWorksheet::DoActivate},
        {u"Cells", 2, &UnoWorksheet::GetCells},
        {u"Rows", 0, &UnoWorksheet::GetRowsOrColumns},
        {u"Columns", 0, &UnoWorksheet::GetRowsOrColumns},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetName(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(SheetName(sheet_)); });
  }

  // Hidden and very hidden read the same in the office; both are "not -1".
  Variant GetVisible(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(IsVisible(sheet_) ? -1 : 0); });
  }

  Variant DoActivate(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      // The office would silently show another sheet instead of a hidden one.
      if (!IsVisible(sheet_))
        throw Exception(
            FormatS(u"シート「%s」は非表示のため、アクティブにできません。", {SheetName(sheet_)}));
      ViewOf(document_)->setActiveSheet(sheet_);
      return Variant();
    });
  }

  Variant GetCells(const UnicodeString&, const std::vector<Variant>& args) {
    const int row = args[0].ToInt();
    const int column = args[1].ToInt();
    return Run([&] {
      auto outside = [&] {
        return Exception(FormatS(u"セル（行 %s、列 %s）はシートの範囲外です。",
                                 {IntToStr(row), IntToStr(column)}));
      };
      if (row < 1 || column < 1) throw outside();
      try {
        Reference<css::table::XCellRange> cell =
            Must(sheet_->getCellRangeByPosition(column - 1, row - 1, column - 1, row - 1));
        return Variant(
            std::make_shared<UnoRange>(connection_, document_, sheet_, cell, RangeKind::Cells));
      } catch (const css::lang::IndexOutOfBoundsException&) {
        throw outside();
      }
    });
  }

  Variant GetRowsOrColumns(const UnicodeString& name, const std::vector<Variant>&) {
    const RangeKind kind = IsMember(name, u"Rows") ? RangeKind::Rows : RangeKind::Columns;
    return Run([&] {
      // The sheet is itself the range of all its cells.
      Reference<css::table::XCellRange> all(sheet_.get());
      return Variant(std::make_shared<UnoRange>(connection_, document_, sheet_, all, kind));
    });
  }

  Document document_;
  Sheet sheet_;
};

class UnoWorksheets : public UnoObject {
 public:
  // Runs under the connection's watchdog: it asks the office for the index access.
  UnoWorksheets(std::shared_ptr<Connection> connection, Document document,
                Reference<css::sheet::XSpreadsheets> sheets)
      : UnoObject(std::move(connection)),
        document_(std::move(document)),
        sheets_(std::move(sheets)),
        indexed_(Query<css::container::XIndexAccess>(sheets_)) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoWorksheets> kMembers[] = {
        {u"Count", 0, &UnoWorksheets::GetCount},
        {u"item", kOwnArgs, &UnoWorksheets::GetItem},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetCount(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(LiveCount()); });
  }

  Variant GetItem(const UnicodeString& name, const std::vector<Variant>& args) {
    if (args.size() != 1) ThrowBadArguments(name);
    if (args[0].IsString()) {
      const UnicodeString sheetName = args[0].ToString();
      return Run([&] {
        try {
          return Wrap(Query<css::sheet::XSpreadsheet>(sheets_->getByName(ToOUString(sheetName))));
        } catch (const css::container::NoSuchElementException&) {
          LiveCount();
          throw Exception(FormatS(u"シート「%s」が見つかりません。", {sheetName}));
        }
      });
    }
    if (!args[0].IsInt()) ThrowBadArguments(name);
    const int index = args[0].ToInt();
    return Run([&] {
      auto outside = [&] {
        return Exception(FormatS(u"シートの番号 %s は範囲外です（シート数 %s）。",
                                 {IntToStr(index), IntToStr(LiveCount())}));
      };
      if (index < 1) throw outside();
      try {
        return Wrap(Query<css::sheet::XSpreadsheet>(Indexed()->getByIndex(index - 1)));
      } catch (const css::lang::IndexOutOfBoundsException&) {
        throw outside();
      }
    });
  }

  const Reference<css::container::XIndexAccess>& Indexed() const { return indexed_; }

  // A workbook always has a sheet: the container of a closed one answers with none.
  int LiveCount() {
    const int count = Indexed()->getCount();
    if (count < 1) ThrowGone();
    return count;
  }

  Variant Wrap(Sheet sheet) {
    return Variant(std::make_shared<UnoWorksheet>(connection_, document_, std::move(sheet)));
  }

  Document document_;
  Reference<css::sheet::XSpreadsheets> sheets_;
  Reference<css::container::XIndexAccess> indexed_;
};

class UnoWorkbook : public UnoObject {
 public:
  UnoWorkbook(std::shared_ptr<Connection> connection, Document document)
      : UnoObject(std::move(connection)), document_(std::move(document)) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoWorkbook> kMembers[] = {
        {u"Name", 0, &UnoWorkbook::GetName},
        {u"WorkSheets", 0, &UnoWorkbook::GetWorkSheets},
        {u"Activate", 0, &UnoWorkbook::DoActivate},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetName(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(TitleOf(document_)); });
  }

  Variant GetWorkSheets(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      // The container is the office's live one, so it is asked for once per workbook
      // object: callers ask for it again for every sheet.
      if (!sheets_.is()) sheets_ = Must(document_->getSheets());
      return Variant(std::make_shared<UnoWorksheets>(connection_, document_, sheets_));
    });
  }

  // Makes it the desktop's current document; raising the window is a separate step.
  Variant DoActivate(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      Must(ControllerOf(document_)->getFrame())->activate();
      return Variant();
    });
  }

  Document document_;
  Reference<css::sheet::XSpreadsheets> sheets_;
};

class UnoWorkbooks : public UnoObject {
 public:
  explicit UnoWorkbooks(std::shared_ptr<Connection> connection)
      : UnoObject(std::move(connection)) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoWorkbooks> kMembers[] = {
        {u"Count", 0, &UnoWorkbooks::GetCount},
        {u"item", kOwnArgs, &UnoWorkbooks::GetItem},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetCount(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(static_cast<int>(Documents().size())); });
  }

  Variant GetItem(const UnicodeString& name, const std::vector<Variant>& args) {
    if (args.size() != 1) ThrowBadArguments(name);
    if (args[0].IsString()) {
      const UnicodeString bookName = args[0].ToString();
      return Run([&] {
        // Titles need not be unique: the one opened first wins.
        for (const Document& document : Documents())
          if (TitleOf(document) == bookName) return Wrap(document);
        throw Exception(FormatS(u"ブック「%s」は開かれていません。", {bookName}));
      });
    }
    if (!args[0].IsInt()) ThrowBadArguments(name);
    const int index = args[0].ToInt();
    return Run([&] {
      const std::vector<Document>& documents = Documents();
      if (index < 1 || static_cast<size_t>(index) > documents.size())
        throw Exception(
            FormatS(u"ブックの番号 %s は範囲外です（ブック数 %s）。",
                    {IntToStr(index), IntToStr(static_cast<long long>(documents.size()))}));
      return Wrap(documents[static_cast<size_t>(index) - 1]);
    });
  }

  // The open documents, enumerated once for this object: a reload asks for every workbook by
  // its number, and each enumeration is a round trip per document. The object lives for one
  // command; the next one enumerates afresh.
  const std::vector<Document>& Documents() {
    if (!documents_) documents_ = OpenSpreadsheets(*connection_);
    return *documents_;
  }

  Variant Wrap(Document document) {
    return Variant(std::make_shared<UnoWorkbook>(connection_, std::move(document)));
  }

  std::optional<std::vector<Document>> documents_;
};

class UnoApplication : public UnoObject {
 public:
  explicit UnoApplication(std::shared_ptr<Connection> connection)
      : UnoObject(std::move(connection)) {}

  Variant Invoke(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    static const Member<UnoApplication> kMembers[] = {
        {u"Workbooks", 0, &UnoApplication::GetWorkbooks},
        {u"ActiveWorkbook", 0, &UnoApplication::GetActiveWorkbook},
        {u"ActiveSheet", 0, &UnoApplication::GetActiveSheet},
        {u"ActiveCell", 0, &UnoApplication::GetActiveCell},
    };
    return Dispatch(*this, kMembers, name, args);
  }

 private:
  Variant GetWorkbooks(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return Variant(std::make_shared<UnoWorkbooks>(connection_)); });
  }

  Variant GetActiveWorkbook(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      return Variant(std::make_shared<UnoWorkbook>(connection_, ActiveDocument(*connection_)));
    });
  }

  Variant GetActiveSheet(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] {
      Document document = ActiveDocument(*connection_);
      Sheet sheet = Must(ViewOf(document)->getActiveSheet());
      return Variant(std::make_shared<UnoWorksheet>(connection_, document, sheet));
    });
  }

  Variant GetActiveCell(const UnicodeString&, const std::vector<Variant>&) {
    return Run([&] { return ActiveCell(); });
  }

  // The office does not tell where the cursor is inside a selected range: its top-left
  // cell stands for it.
  Variant ActiveCell() {
    Document document = ActiveDocument(*connection_);
    Reference<css::sheet::XSpreadsheetView> view = ViewOf(document);
    const Any selection = Query<css::view::XSelectionSupplier>(view)->getSelection();
    css::table::CellAddress cell;
    if (Reference<css::sheet::XCellAddressable> single(selection, UNO_QUERY); single.is()) {
      cell = single->getCellAddress();
    } else if (Reference<css::sheet::XCellRangeAddressable> range(selection, UNO_QUERY);
               range.is()) {
      const auto address = range->getRangeAddress();
      cell = css::table::CellAddress(address.Sheet, address.StartColumn, address.StartRow);
    } else if (Reference<css::sheet::XSheetCellRanges> ranges(selection, UNO_QUERY); ranges.is()) {
      const auto addresses = ranges->getRangeAddresses();
      if (!addresses.hasElements()) throw Exception(u"アクティブなセルがありません。");
      cell = css::table::CellAddress(addresses[0].Sheet, addresses[0].StartColumn,
                                     addresses[0].StartRow);
    } else {
      throw Exception(u"アクティブなセルがありません。");
    }
    Sheet sheet = Must(view->getActiveSheet());
    Reference<css::table::XCellRange> range =
        Must(sheet->getCellRangeByPosition(cell.Column, cell.Row, cell.Column, cell.Row));
    return Variant(
        std::make_shared<UnoRange>(connection_, document, sheet, range, RangeKind::Cells));
  }
};

// The document window is un-minimised, activated and raised: activate() alone leaves it
// behind other windows.
void BringCurrentWindowToFront(Connection& connection) {
  connection.Run([&] {
    Reference<css::frame::XFrame> frame = connection.Desktop()->getCurrentFrame();
    if (!frame.is()) return;
    Reference<css::awt::XWindow> window = frame->getContainerWindow();
    Reference<css::awt::XTopWindow2> top(window, UNO_QUERY);
    // A frame without a window (being closed) has nothing to raise.
    if (top.is() && top->getIsMinimized()) top->setIsMinimized(false);
    frame->activate();
    if (top.is()) top->toFront();
    if (window.is()) window->setFocus();
  });
}

std::mutex& PipeNameMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& PipeNameStorage() {
  static std::string name = kDefaultPipeName;
  return name;
}

}  // namespace

void SetPipeNameForTesting(const std::string& name) {
  std::lock_guard lock(PipeNameMutex());
  PipeNameStorage() = name;
}

std::string PipeName() {
  std::lock_guard lock(PipeNameMutex());
  return PipeNameStorage();
}

}  // namespace kestrine::uno

namespace kestrine::automation {

std::optional<ActiveObject> GetBackendActiveObject(const UnicodeString& progId) {
  if (progId != u"Excel.Application") return std::nullopt;
  std::shared_ptr<uno::Connection> connection = uno::Connection::Open(uno::PipeName());
  if (!connection) return std::nullopt;
  ActiveObject object;
  object.application = std::make_shared<uno::UnoApplication>(connection);
  object.bringMainWindowToFront = [connection] { uno::BringCurrentWindowToFront(*connection); };
  return object;
}

}  // namespace kestrine::automation
