// Bringing the document window to the front, on a private X server with a window manager
// and an office that shows its windows there.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "Office.h"
#include "base/Exception.h"
#include "excel/Excel.h"
#include "support/ChildProcess.h"
#include "support/TestHelpers.h"
#include "support/XDisplay.h"

namespace kestrine::calc {
namespace {

using std::chrono::milliseconds;
using test::RunCommand;
using test::WaitUntil;

std::string ActiveWindowName() {
  std::string name = RunCommand("xdotool getactivewindow getwindowname");
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return name;
}

// The window manager carries out minimise and activation a little later.
template <class Condition>
bool Eventually(Condition condition) {
  return WaitUntil(std::chrono::seconds(5), condition, milliseconds(100));
}

TEST(CalcWindow, ActivateSheetRaisesTheMinimisedDocumentWindow) {
  test::XDisplay::Options withoutTray;
  withoutTray.trayHost = false;
  const test::XDisplay desktop(withoutTray);
  Office office("x11", Office::Accept::CommandLine, "", desktop.Display());
  office.OpenSamples();
  ASSERT_TRUE(Eventually([&] { return ActiveWindowName() == "Inventory.ods - LibreOffice Calc"; }));

  office.SetMinimized(u"Budget.xlsx", true);
  ASSERT_TRUE(Eventually([&] { return office.IsMinimized(u"Budget.xlsx"); }));
  std::unique_ptr<TExcel> excel = TExcel::Connect();
  ASSERT_TRUE(excel);

  // A failure before the last step leaves the window where it was.
  EXPECT_THROW(excel->ActivateSheet(u"Budget.xlsx", u"Gone", 1, 1), Exception);
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_TRUE(office.IsMinimized(u"Budget.xlsx"));

  excel->ActivateSheet(u"Budget.xlsx", u"January", 2, 3);
  EXPECT_TRUE(Eventually([&] { return !office.IsMinimized(u"Budget.xlsx"); }));
  EXPECT_TRUE(Eventually([&] { return ActiveWindowName() == "Budget.xlsx - LibreOffice Calc"; }))
      << ActiveWindowName();
  EXPECT_EQ(ToUtf8(office.ActiveSheetName(u"Budget.xlsx")), "January");
  EXPECT_EQ(office.SelectedCell(u"Budget.xlsx"), std::make_pair(2, 3));

  // Another document's window comes up over it.
  excel->ActivateSheet(u"予定表.xlsx", u"4月", -1, -1);
  EXPECT_TRUE(Eventually([&] { return ActiveWindowName() == "予定表.xlsx - LibreOffice Calc"; }))
      << ActiveWindowName();
}

}  // namespace
}  // namespace kestrine::calc
