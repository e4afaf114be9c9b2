#pragma once
// An in-memory spreadsheet application behind the automation contract, for logic tests.
// It records every call and can be told to fail one, or to drop the connection.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "excel/Automation.h"

namespace kestrine::test {

struct SheetModel {
  UnicodeString name;
  int visible = -1;  // -1 visible, 0 hidden, 2 very hidden
  int rows = 1048576;
  int columns = 16384;
};

struct BookModel {
  UnicodeString name;
  std::vector<SheetModel> sheets;
};

struct CallRecord {
  std::string object;  // "Application", "Workbooks", "Workbook(Book1.xlsx)",
                       // "Worksheets(Book1.xlsx)", "Worksheet(Book1.xlsx!Sheet1)",
                       // "Range(Book1.xlsx!Sheet1!R5C2)", "Rows(...)", "Columns(...)"
  std::string member;  // as called, e.g. "item"
  std::vector<Variant> args;
  std::string ToString() const;  // "Workbooks.item(2)", "Worksheet(B!S).Cells(5, 2)"
};

class AutomationServer {
 public:
  AutomationServer();
  ~AutomationServer();  // revokes its registration
  AutomationServer(const AutomationServer&) = delete;
  AutomationServer& operator=(const AutomationServer&) = delete;

  // --- the model ---
  std::vector<BookModel> books;
  int activeBook = -1;  // index into books, -1 none
  int activeSheet = -1;  // index into books[activeBook].sheets
  int activeColumn = 1, activeRow = 1;  // 1-based
  bool mainWindowPresent = true;
  int bringToFrontCount = 0;  // how often the main window was brought to the front

  // Adds a workbook with visible sheets of the given names; returns it for more changes.
  BookModel& AddBook(const UnicodeString& name, std::initializer_list<UnicodeString> sheets);
  BookModel& AddBook(const std::string& name, std::initializer_list<std::string> sheets);
  // Makes the cell of a sheet the active one (1-based column and row).
  void SetActive(const UnicodeString& book, const UnicodeString& sheet, int column, int row);
  // Where the user is now: "Book!Sheet", and with the cell "Book!Sheet R<row>C<column>";
  // "none" without an active workbook.
  std::string ActiveSheet() const;
  std::string ActiveCell() const;

  // --- registration as "Excel.Application" ---
  void Register();
  void Revoke();

  // --- the call log ---
  std::vector<CallRecord> calls;
  std::vector<std::string> CallStrings() const;
  void ClearCalls() { calls.clear(); }
  size_t CallCount() const { return calls.size(); }

  // --- faults ---
  // The call with this 0-based position (counted over all calls since the last ClearCalls,
  // bring-to-front included) fails with the message; the model stays unchanged.
  void FailAtCall(size_t position, UnicodeString message);
  // Every call whose CallRecord::ToString() starts with `prefix` fails.
  void FailCallsMatching(std::string prefix, UnicodeString message);
  // From the call with this position on, every call fails as after a lost connection.
  void DropAtCall(size_t position);
  void DropConnection() { DropAtCall(calls.size()); }
  void ClearFaults();
  static const char16_t* DroppedMessage();

  // --- for the server's objects ---
  Variant Dispatch(const std::string& object, const UnicodeString& member, CallKind kind,
                   const std::vector<Variant>& args,
                   const std::function<Variant()>& body);
  void BringToFront();

 private:
  struct Fault;
  std::vector<Fault> faults_;
  std::optional<size_t> dropAt_;
  bool registered_ = false;
  std::shared_ptr<AutomationObject> application_;
};

// std::string from UnicodeString for readable test output.
std::string U8(const UnicodeString& text);
UnicodeString U(const std::string& utf8);

}  // namespace kestrine::test
