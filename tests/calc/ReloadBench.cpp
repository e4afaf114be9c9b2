// The book tree's reload against a real office (5 workbooks x 40 sheets): the calls made
// through TExcel and the Excel:: wrappers, against the minimal UNO client that lists the same
// sheets (one enumeration of the documents, one sheets container per document, then index,
// visibility and name per sheet). Times are medians of direct connections; the remote calls
// of each side are counted on one more reload through a relay that reads the URP stream.
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
#include "UrpCounter.h"
#include "excel/Excel.h"
#include "excel/uno/UnoBackend.h"

namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

using Listing = std::vector<std::pair<UnicodeString, UnicodeString>>;  // (book, sheet)

// The reload's calls: per workbook item, name, worksheets, count; per worksheet
// worksheets, item, Visible, and name for a visible one.
Listing WrapperReload(TExcel& excel) {
  Listing listed;
  Excel::TWorkbooks books = excel.Workbooks();
  for (int b = 1, w = books.Count(); b <= w; ++b) {
    Excel::TWorkbook book = books.Item(b);
    const UnicodeString name = book.Name();
    const int sheets = book.WorkSheets().Count();
    for (int s = 1; s <= sheets; ++s) {
      Excel::TWorksheet sheet = book.WorkSheets().Item(s);
      if (sheet.Visible() != -1) continue;
      listed.emplace_back(name, sheet.Name());
    }
  }
  return listed;
}

// What a UNO expert would write for the same list.
Listing MinimalReload(kestrine::uno::Connection& link) {
  return link.Run([&] {
    std::vector<Reference<css::sheet::XSpreadsheetDocument>> documents;
    auto components = link.Desktop()->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
      Reference<css::sheet::XSpreadsheetDocument> document(components->nextElement(), UNO_QUERY);
      if (document.is()) documents.push_back(document);
    }
    std::reverse(documents.begin(), documents.end());
    Listing listed;
    for (const auto& book : documents) {
      const UnicodeString name =
          kestrine::uno::FromOUString(Reference<css::frame::XTitle>(book, UNO_QUERY)->getTitle());
      Reference<css::container::XIndexAccess> sheets(book->getSheets(), UNO_QUERY);
      for (sal_Int32 s = 0, count = sheets->getCount(); s < count; ++s) {
        Reference<css::beans::XPropertySet> sheet(sheets->getByIndex(s), UNO_QUERY);
        bool visible = false;
        sheet->getPropertyValue("IsVisible") >>= visible;
        if (!visible) continue;
        listed.emplace_back(name,
                            kestrine::uno::FromOUString(
                                Reference<css::container::XNamed>(sheet, UNO_QUERY)->getName()));
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

  std::vector<double> wrapped, minimal, connect;
  Listing viaWrappersListed, minimalListed;
  // Alternate the order, so that neither side always runs while the office is still busy
  // cleaning up after the other.
  for (int round = 0; round < 12; ++round) {
    auto viaWrappers = [&] {
      auto start = Clock::now();
      std::unique_ptr<TExcel> excel = TExcel::Connect();
      connect.push_back(Ms(Clock::now() - start));
      start = Clock::now();
      viaWrappersListed = WrapperReload(*excel);
      wrapped.push_back(Ms(Clock::now() - start));
    };
    auto direct = [&] {
      auto link = kestrine::uno::Connection::Open(office.Pipe());
      const auto start = Clock::now();
      minimalListed = MinimalReload(*link);
      minimal.push_back(Ms(Clock::now() - start));
    };
    if (round % 2 == 0) {
      viaWrappers();
      direct();
    } else {
      direct();
      viaWrappers();
    }
  }

  // One more reload of each side through the counting relay.
  long long wrapperCalls = 0, minimalCalls = 0;
  {
    kestrine::calc::UrpCounter counter(office.Pipe());
    kestrine::uno::SetPipeNameForTesting(counter.Pipe());
    {
      std::unique_ptr<TExcel> excel = TExcel::Connect();
      counter.Reset();
      WrapperReload(*excel);
      wrapperCalls = counter.Messages();
    }
    {
      auto link = kestrine::uno::Connection::Open(counter.Pipe());
      link->Run([&] { return link->Desktop().is(); });
      counter.Reset();
      MinimalReload(*link);
      minimalCalls = counter.Messages();
    }
    kestrine::uno::SetPipeNameForTesting(office.Pipe());
  }

  const bool same = viaWrappersListed == minimalListed;
  std::printf("sheets listed per reload:    %zu (%s)\n", viaWrappersListed.size(),
              same ? "the same on both sides" : "DIFFERENT");
  std::printf("connect (median of %zu):     %8.2f ms\n", connect.size(), Median(connect));
  std::printf("reload through the wrappers: %8.2f ms, %lld remote calls\n", Median(wrapped),
              wrapperCalls);
  std::printf("minimal UNO client:          %8.2f ms, %lld remote calls\n", Median(minimal),
              minimalCalls);
  std::printf("ratio (time):                %8.3f\n", Median(wrapped) / Median(minimal));
  std::printf("ratio (calls):               %8.3f\n",
              minimalCalls ? double(wrapperCalls) / double(minimalCalls) : 0.0);
  return same ? 0 : 1;
}
