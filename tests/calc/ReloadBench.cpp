// The book tree's reload against a real office (5 workbooks x 40 sheets): the calls made
// through TExcel and the Excel:: wrappers, against a bare loop making the same UNO calls.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>

#include "Office.h"
#include "excel/Excel.h"

namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The reload's calls: per workbook item, name, worksheets, count; per worksheet
// worksheets, item, Visible, and name for a visible one.
int WrapperReload(TExcel& excel) {
  int listed = 0;
  Excel::TWorkbooks books = excel.Workbooks();
  for (int b = 1, w = books.Count(); b <= w; ++b) {
    Excel::TWorkbook book = books.Item(b);
    const UnicodeString name = book.Name();
    const int sheets = book.WorkSheets().Count();
    for (int s = 1; s <= sheets; ++s) {
      Excel::TWorksheet sheet = book.WorkSheets().Item(s);
      if (sheet.Visible() != -1) continue;
      listed += !sheet.Name().empty() && !name.empty();
    }
  }
  return listed;
}

// The same UNO calls the backend makes for those members, with nothing in between.
int BareReload(kestrine::uno::Connection& link) {
  return link.Run([&] {
    auto documents = [&] {
      std::vector<Reference<css::sheet::XSpreadsheetDocument>> found;
      auto components = link.Desktop()->getComponents()->createEnumeration();
      while (components->hasMoreElements()) {
        Reference<css::sheet::XSpreadsheetDocument> document(components->nextElement(), UNO_QUERY);
        if (document.is()) found.push_back(document);
      }
      std::reverse(found.begin(), found.end());
      return found;
    };
    int listed = 0;
    const size_t w = documents().size();
    for (size_t b = 0; b < w; ++b) {
      Reference<css::sheet::XSpreadsheetDocument> book = documents()[b];
      const rtl::OUString name = Reference<css::frame::XTitle>(book, UNO_QUERY)->getTitle();
      const int sheets =
          Reference<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY)->getCount();
      for (int s = 0; s < sheets; ++s) {
        Reference<css::sheet::XSpreadsheet> sheet(
            Reference<css::container::XIndexAccess>(book->getSheets(), UNO_QUERY)->getByIndex(s),
            UNO_QUERY);
        bool visible = false;
        Reference<css::beans::XPropertySet>(sheet, UNO_QUERY)->getPropertyValue("IsVisible") >>=
            visible;
        if (!visible) continue;
        listed += !Reference<css::container::XNamed>(sheet, UNO_QUERY)->getName().isEmpty() &&
                  !name.isEmpty();
      }
    }
    return listed;
  });
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  kestrine::calc::Office office("bench");
  office.CloseAll();
  for (int i = 0; i < 5; ++i) office.OpenNewSpreadsheet(40);

  std::vector<double> wrapped, bare, connect;
  int listed = 0;
  // Alternate the order, so that neither side always runs while the office is still busy
  // cleaning up after the other.
  for (int round = 0; round < 12; ++round) {
    auto viaWrappers = [&] {
      auto start = Clock::now();
      std::unique_ptr<TExcel> excel = TExcel::Connect();
      connect.push_back(Ms(Clock::now() - start));
      start = Clock::now();
      listed = WrapperReload(*excel);
      wrapped.push_back(Ms(Clock::now() - start));
    };
    auto direct = [&] {
      auto link = kestrine::uno::Connection::Open(office.Pipe());
      const auto start = Clock::now();
      BareReload(*link);
      bare.push_back(Ms(Clock::now() - start));
    };
    if (round % 2 == 0) {
      viaWrappers();
      direct();
    } else {
      direct();
      viaWrappers();
    }
  }
  std::printf("sheets listed per reload: %d\n", listed);
  std::printf("connect (median of %zu):     %8.2f ms\n", connect.size(), Median(connect));
  std::printf("reload through the wrappers: %8.2f ms\n", Median(wrapped));
  std::printf("bare UNO loop:               %8.2f ms\n", Median(bare));
  std::printf("ratio:                       %8.3f\n", Median(wrapped) / Median(bare));
  return 0;
}
