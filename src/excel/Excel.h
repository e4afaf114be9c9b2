#pragma once
// The connection to the running spreadsheet application and value wrappers over its objects.
// Every operation is one late-bound call; nothing is cached.
#include <functional>
#include <memory>

#include "base/UnicodeString.h"
#include "excel/Automation.h"
#include "excel/Variant.h"

namespace Excel {

class TWorkbook;
class TWorksheets;
class TWorksheet;
class TRange;

// Common part of the wrappers: exactly one Variant holding the object.
class TDispatchWrapper {
 public:
  explicit TDispatchWrapper(Variant object) : object_(std::move(object)) {}
  const Variant& Object() const { return object_; }

 protected:
  Variant Get(const char16_t* name, std::vector<Variant> args = {});
  void Call(const char16_t* name);

 private:
  Variant object_;
};

class TWorkbooks : public TDispatchWrapper {
 public:
  using TDispatchWrapper::TDispatchWrapper;
  int Count();
  TWorkbook Item(int index);
  TWorkbook Item(const UnicodeString& name);
};

class TWorkbook : public TDispatchWrapper {
 public:
  using TDispatchWrapper::TDispatchWrapper;
  UnicodeString Name();
  TWorksheets WorkSheets();
  void Activate();
};

class TWorksheets : public TDispatchWrapper {
 public:
  using TDispatchWrapper::TDispatchWrapper;
  int Count();
  TWorksheet Item(int index);
  TWorksheet Item(const UnicodeString& name);
};

class TWorksheet : public TDispatchWrapper {
 public:
  using TDispatchWrapper::TDispatchWrapper;
  UnicodeString Name();
  int Visible();
  void Activate();
  // Column first, row second; the application is asked for Cells(row, column).
  TRange Cells(int column, int row);
  TRange Rows();
  TRange Columns();
};

class TRange : public TDispatchWrapper {
 public:
  using TDispatchWrapper::TDispatchWrapper;
  int Count();
  int Column();
  int Row();
  void Activate();
};

// Calls `visit` with each visible sheet's name in order, as it is read: a failure part-way
// leaves what was visited so far.
void ForEachVisibleSheet(TWorkbook& workbook,
                         const std::function<void(const UnicodeString&)>& visit);

}  // namespace Excel

class TExcel {
 public:
  // The running application registered as "Excel.Application", or null.
  static std::unique_ptr<TExcel> Connect();
  ~TExcel();
  TExcel(const TExcel&) = delete;
  TExcel& operator=(const TExcel&) = delete;

  Excel::TWorkbooks Workbooks();
  Excel::TWorkbook ActiveWorkbook();
  Excel::TWorksheet ActiveSheet();
  Excel::TRange ActiveCell();
  // Column and row are 1-based; -1 in either leaves the active cell alone.
  void ActivateSheet(const UnicodeString& book, const UnicodeString& sheet, int column, int row);

 private:
  TExcel(Variant application, std::function<void()> bringMainWindowToFront);
  Variant application_;
  std::function<void()> bringMainWindowToFront_;
};
