#include "support/AutomationServer.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "base/Exception.h"
#include "platform/Platform.h"

namespace kestrine::test {

std::string U8(const UnicodeString& text) { return ToUtf8(text); }
UnicodeString U(const std::string& utf8) { return FromUtf8(utf8); }

namespace {

std::string ArgText(const Variant& v) {
  if (v.IsInt()) return std::to_string(v.ToInt());
  if (v.IsString()) return "\"" + U8(v.ToString()) + "\"";
  if (v.IsEmpty()) return "<empty>";
  return "<object>";
}

const char16_t* kOutOfRange = u"インデックスが有効範囲にありません。";

}  // namespace

std::string CallRecord::ToString() const {
  std::string s = object + "." + member + "(";
  for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + ArgText(args[i]);
  return s + ")";
}

struct AutomationServer::Fault {
  std::optional<size_t> position;
  std::string prefix;
  UnicodeString message;
};

const char16_t* AutomationServer::DroppedMessage() {
  return u"リモート プロシージャ コールに失敗しました。";
}

namespace {

class ServerObject : public AutomationObject {
 public:
  explicit ServerObject(AutomationServer* server) : server_(server) {}

  Variant Invoke(const UnicodeString& name, CallKind kind, const std::vector<Variant>& args) final {
    return server_->Dispatch(Describe(), name, kind, args, [&] { return Answer(name, kind, args); });
  }

 protected:
  virtual std::string Describe() const = 0;
  virtual Variant Answer(const UnicodeString& name, CallKind kind,
                         const std::vector<Variant>& args) = 0;

  static bool Is(const UnicodeString& name, const char16_t* member) {
    return platform::SameText(name, member);
  }
  [[noreturn]] static void Unknown(const UnicodeString& name) {
    throw Exception(u"メンバーが見つかりません。（" + name + u"）");
  }
  // The class's members by name; the first that matches answers.
  using Members = std::initializer_list<std::pair<const char16_t*, std::function<Variant()>>>;
  static Variant Pick(const UnicodeString& name, Members members) {
    for (const auto& [member, answer] : members) {
      if (Is(name, member)) return answer();
    }
    Unknown(name);
  }
  static void ExpectArgs(const std::vector<Variant>& args, size_t count) {
    if (args.size() != count) throw Exception(u"引数の数が不正です。");
  }

  BookModel& Book(const UnicodeString& name) const {
    for (auto& b : server_->books) {
      if (b.name == name) return b;
    }
    throw Exception(u"オブジェクトは削除されています。");
  }
  SheetModel& Sheet(const UnicodeString& book, const UnicodeString& name) const {
    for (auto& s : Book(book).sheets) {
      if (s.name == name) return s;
    }
    throw Exception(u"オブジェクトは削除されています。");
  }

  AutomationServer* server_;
};

class RangeObject : public ServerObject {
 public:
  enum class Kind { Cell, Rows, Columns };
  RangeObject(AutomationServer* s, UnicodeString book, UnicodeString sheet, Kind kind, int row,
              int column)
      : ServerObject(s), book_(std::move(book)), sheet_(std::move(sheet)), kind_(kind), row_(row),
        column_(column) {}

 protected:
  std::string Describe() const override {
    const std::string where = U8(book_) + "!" + U8(sheet_);
    switch (kind_) {
      case Kind::Rows:
        return "Rows(" + where + ")";
      case Kind::Columns:
        return "Columns(" + where + ")";
      case Kind::Cell:
        break;
    }
    return "Range(" + where + "!R" + std::to_string(row_) + "C" + std::to_string(column_) + ")";
  }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>&) override {
    SheetModel& sheet = Sheet(book_, sheet_);
    return Pick(
        name,
        {
            {u"Count",
             [&]() -> Variant {
               return kind_ == Kind::Rows ? sheet.rows : kind_ == Kind::Columns ? sheet.columns : 1;
             }},
            {u"Column", [&]() -> Variant { return kind_ == Kind::Cell ? column_ : 1; }},
            {u"Row", [&]() -> Variant { return kind_ == Kind::Cell ? row_ : 1; }},
            {u"Activate",
             [&]() -> Variant {
               if (kind_ != Kind::Cell)
                 throw Exception(u"Range クラスの Activate メソッドが失敗しました。");
               auto& books = server_->books;
               const int b = server_->activeBook;
               if (b < 0 || books[static_cast<size_t>(b)].name != book_ ||
                   server_->activeSheet < 0 ||
                   books[static_cast<size_t>(b)]
                           .sheets[static_cast<size_t>(server_->activeSheet)]
                           .name != sheet_) {
                 throw Exception(u"Range クラスの Activate メソッドが失敗しました。");
               }
               server_->activeColumn = column_;
               server_->activeRow = row_;
               return {};
             }},
        });
  }

 private:
  UnicodeString book_, sheet_;
  Kind kind_;
  int row_, column_;
};

class WorksheetObject : public ServerObject {
 public:
  WorksheetObject(AutomationServer* s, UnicodeString book, UnicodeString sheet)
      : ServerObject(s), book_(std::move(book)), sheet_(std::move(sheet)) {}

 protected:
  std::string Describe() const override { return "Worksheet(" + U8(book_) + "!" + U8(sheet_) + ")"; }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    SheetModel& sheet = Sheet(book_, sheet_);
    auto whole = [&](RangeObject::Kind kind) {
      return Variant(std::make_shared<RangeObject>(server_, book_, sheet_, kind, 0, 0));
    };
    return Pick(
        name,
        {
            {u"Name", [&]() -> Variant { return sheet.name; }},
            {u"Visible", [&]() -> Variant { return sheet.visible; }},
            {u"Activate",
             [&]() -> Variant {
               auto& books = server_->books;
               const int b = server_->activeBook;
               if (sheet.visible != -1 || b < 0 || books[static_cast<size_t>(b)].name != book_) {
                 throw Exception(u"Worksheet クラスの Activate メソッドが失敗しました。");
               }
               const auto& sheets = books[static_cast<size_t>(b)].sheets;
               server_->activeSheet =
                   static_cast<int>(std::find_if(sheets.begin(), sheets.end(),
                                                 [&](auto& s) { return s.name == sheet_; }) -
                                    sheets.begin());
               return {};
             }},
            {u"Cells",
             [&]() -> Variant {
               ExpectArgs(args, 2);
               const int row = args[0].ToInt(), column = args[1].ToInt();
               if (row < 1 || row > sheet.rows || column < 1 || column > sheet.columns) {
                 throw Exception(u"アプリケーション定義またはオブジェクト定義のエラーです。");
               }
               return Variant(std::make_shared<RangeObject>(server_, book_, sheet_,
                                                            RangeObject::Kind::Cell, row, column));
             }},
            {u"Rows", [&] { return whole(RangeObject::Kind::Rows); }},
            {u"Columns", [&] { return whole(RangeObject::Kind::Columns); }},
        });
  }

 private:
  UnicodeString book_, sheet_;
};

class WorksheetsObject : public ServerObject {
 public:
  WorksheetsObject(AutomationServer* s, UnicodeString book) : ServerObject(s), book_(std::move(book)) {}

 protected:
  std::string Describe() const override { return "Worksheets(" + U8(book_) + ")"; }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    BookModel& book = Book(book_);
    return Pick(
        name, {
                  {u"Count", [&]() -> Variant { return static_cast<int>(book.sheets.size()); }},
                  {u"item",
                   [&]() -> Variant {
                     ExpectArgs(args, 1);
                     const SheetModel* found = nullptr;
                     if (args[0].IsString()) {
                       for (const auto& s : book.sheets) {
                         if (platform::SameText(s.name, args[0].ToString()))
                           found = found ? found : &s;
                       }
                     } else {
                       const int i = args[0].ToInt();
                       if (i >= 1 && i <= static_cast<int>(book.sheets.size()))
                         found = &book.sheets[static_cast<size_t>(i - 1)];
                     }
                     if (!found) throw Exception(kOutOfRange);
                     return Variant(std::make_shared<WorksheetObject>(server_, book_, found->name));
                   }},
              });
  }

 private:
  UnicodeString book_;
};

class WorkbookObject : public ServerObject {
 public:
  WorkbookObject(AutomationServer* s, UnicodeString book) : ServerObject(s), book_(std::move(book)) {}

 protected:
  std::string Describe() const override { return "Workbook(" + U8(book_) + ")"; }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>&) override {
    BookModel& book = Book(book_);
    return Pick(name,
                {
                    {u"Name", [&]() -> Variant { return book.name; }},
                    {u"WorkSheets",
                     [&] { return Variant(std::make_shared<WorksheetsObject>(server_, book_)); }},
                    {u"Activate",
                     [&]() -> Variant {
                       const int index = static_cast<int>(&book - server_->books.data());
                       if (server_->activeBook != index) {
                         server_->activeBook = index;
                         // Excel shows the sheet that was active in that workbook; the first
                         // visible one will do.
                         server_->activeSheet = -1;
                         for (size_t i = 0; i < book.sheets.size(); ++i) {
                           if (book.sheets[i].visible == -1) {
                             server_->activeSheet = static_cast<int>(i);
                             break;
                           }
                         }
                       }
                       return {};
                     }},
                });
  }

 private:
  UnicodeString book_;
};

class WorkbooksObject : public ServerObject {
 public:
  using ServerObject::ServerObject;

 protected:
  std::string Describe() const override { return "Workbooks"; }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>& args) override {
    auto& books = server_->books;
    return Pick(name, {
                          {u"Count", [&]() -> Variant { return static_cast<int>(books.size()); }},
                          {u"item",
                           [&]() -> Variant {
                             ExpectArgs(args, 1);
                             const BookModel* found = nullptr;
                             if (args[0].IsString()) {
                               for (const auto& b : books) {
                                 if (platform::SameText(b.name, args[0].ToString()))
                                   found = found ? found : &b;
                               }
                             } else {
                               const int i = args[0].ToInt();
                               if (i >= 1 && i <= static_cast<int>(books.size()))
                                 found = &books[static_cast<size_t>(i - 1)];
                             }
                             if (!found) throw Exception(kOutOfRange);
                             return Variant(std::make_shared<WorkbookObject>(server_, found->name));
                           }},
                      });
  }
};

class ApplicationObject : public ServerObject {
 public:
  using ServerObject::ServerObject;

 protected:
  std::string Describe() const override { return "Application"; }
  Variant Answer(const UnicodeString& name, CallKind, const std::vector<Variant>&) override {
    auto& s = *server_;
    const bool hasBook = s.activeBook >= 0 && s.activeBook < static_cast<int>(s.books.size());
    const bool hasSheet =
        hasBook && s.activeSheet >= 0 &&
        s.activeSheet < static_cast<int>(s.books[static_cast<size_t>(s.activeBook)].sheets.size());
    auto activeBook = [&]() -> const BookModel& {
      return s.books[static_cast<size_t>(s.activeBook)];
    };
    auto activeSheet = [&]() -> const UnicodeString& {
      return activeBook().sheets[static_cast<size_t>(s.activeSheet)].name;
    };
    // Nothing, as Excel answers with no workbook open.
    return Pick(
        name,
        {
            {u"Workbooks", [&] { return Variant(std::make_shared<WorkbooksObject>(server_)); }},
            {u"ActiveWorkbook",
             [&]() -> Variant {
               if (!hasBook) return {};
               return Variant(std::make_shared<WorkbookObject>(server_, activeBook().name));
             }},
            {u"ActiveSheet",
             [&]() -> Variant {
               if (!hasSheet) return {};
               return Variant(
                   std::make_shared<WorksheetObject>(server_, activeBook().name, activeSheet()));
             }},
            {u"ActiveCell",
             [&]() -> Variant {
               if (!hasSheet) return {};
               return Variant(std::make_shared<RangeObject>(server_, activeBook().name,
                                                            activeSheet(), RangeObject::Kind::Cell,
                                                            s.activeRow, s.activeColumn));
             }},
        });
  }
};

}  // namespace

AutomationServer::AutomationServer() : application_(std::make_shared<ApplicationObject>(this)) {}

AutomationServer::~AutomationServer() { Revoke(); }

BookModel& AutomationServer::AddBook(const UnicodeString& name,
                                     std::initializer_list<UnicodeString> sheets) {
  BookModel book{name, {}};
  for (const auto& s : sheets) book.sheets.push_back(SheetModel{s});
  books.push_back(std::move(book));
  return books.back();
}

BookModel& AutomationServer::AddBook(const std::string& name,
                                     std::initializer_list<std::string> sheets) {
  BookModel book{U(name), {}};
  for (const auto& s : sheets) book.sheets.push_back(SheetModel{U(s)});
  books.push_back(std::move(book));
  return books.back();
}

std::string AutomationServer::ActiveSheet() const {
  if (activeBook < 0) return "none";
  const BookModel& book = books[static_cast<size_t>(activeBook)];
  return U8(book.name) + "!" + U8(book.sheets[static_cast<size_t>(activeSheet)].name);
}

std::string AutomationServer::ActiveCell() const {
  if (activeBook < 0) return "none";
  return ActiveSheet() + " R" + std::to_string(activeRow) + "C" + std::to_string(activeColumn);
}

void AutomationServer::SetActive(const UnicodeString& book, const UnicodeString& sheet, int column,
                                 int row) {
  for (size_t b = 0; b < books.size(); ++b) {
    if (books[b].name != book) continue;
    for (size_t s = 0; s < books[b].sheets.size(); ++s) {
      if (books[b].sheets[s].name == sheet) {
        activeBook = static_cast<int>(b);
        activeSheet = static_cast<int>(s);
        activeColumn = column;
        activeRow = row;
        return;
      }
    }
  }
  throw Exception(u"no such sheet in the test model");
}

void AutomationServer::Register() {
  RegisterActiveObject(u"Excel.Application",
                       ActiveObject{application_, [this] { BringToFront(); }});
  registered_ = true;
}

void AutomationServer::Revoke() {
  if (registered_) RevokeActiveObject(u"Excel.Application");
  registered_ = false;
}

std::vector<std::string> AutomationServer::CallStrings() const {
  std::vector<std::string> out;
  out.reserve(calls.size());
  for (const auto& c : calls) out.push_back(c.ToString());
  return out;
}

void AutomationServer::FailAtCall(size_t position, UnicodeString message) {
  faults_.push_back(Fault{position, {}, std::move(message)});
}

void AutomationServer::FailCallsMatching(std::string prefix, UnicodeString message) {
  faults_.push_back(Fault{std::nullopt, std::move(prefix), std::move(message)});
}

void AutomationServer::DropAtCall(size_t position) { dropAt_ = position; }

void AutomationServer::ClearFaults() {
  faults_.clear();
  dropAt_.reset();
}

Variant AutomationServer::Dispatch(const std::string& object, const UnicodeString& member,
                                   CallKind kind, const std::vector<Variant>& args,
                                   const std::function<Variant()>& body) {
  const size_t position = calls.size();
  calls.push_back(CallRecord{object, U8(member), args});
  if (dropAt_ && position >= *dropAt_) throw Exception(DroppedMessage());
  const std::string text = calls.back().ToString();
  for (const Fault& f : faults_) {
    if ((f.position && *f.position == position) ||
        (!f.position && text.compare(0, f.prefix.size(), f.prefix) == 0)) {
      throw Exception(f.message);
    }
  }
  const bool isMethod = member == u"Activate";
  if (isMethod != (kind == CallKind::Method)) throw Exception(u"呼び出しの種類が不正です。");
  return body();
}

void AutomationServer::BringToFront() {
  // Finding the window never fails, even after the application has gone.
  calls.push_back(CallRecord{"Window", "BringToFront", {}});
  if (mainWindowPresent && !(dropAt_ && calls.size() - 1 >= *dropAt_)) ++bringToFrontCount;
}

}  // namespace kestrine::test
