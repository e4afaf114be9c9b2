// The COM link against an IDispatch server over the in-memory model: in this process and
// from a second process.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "DispatchServer.h"
#include "WinTestSupport.h"
#include "base/Exception.h"
#include "excel/Excel.h"
#include "platform/Platform.h"

using namespace kestrine::test;

namespace {

UnicodeString MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no Exception";
  return {};
}

// The model's calls as text, for finding one call among them.
bool Called(const AutomationServer& server, const std::string& call) {
  for (const auto& c : server.CallStrings()) {
    if (c == call) return true;
  }
  return false;
}

struct ComLinkTest : ::testing::Test {
  ComApartment apartment;
  AutomationServer server;
  std::shared_ptr<DispatchLog> log = std::make_shared<DispatchLog>();
  std::unique_ptr<RunningObject> running;

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment.Result()));
    std::string why;
    if (!RegisterTestProgId(why)) GTEST_SKIP() << why;
    server.AddBook("売上.xlsx", {"表1", "Hidden", "集計"}).sheets[1].visible = 0;
    server.AddBook("Budget.xlsx", {"Q1"});
  }

  // Serves the model as the running "Excel.Application".
  void Run() {
    IDispatch* dispatch = MakeDispatch(ApplicationOf(server), log);
    running = std::make_unique<RunningObject>(dispatch);
    dispatch->Release();
    ASSERT_TRUE(running->Registered()) << std::hex << running->Result();
  }

  void TearDown() override { running.reset(); }
};

}  // namespace

TEST_F(ComLinkTest, NothingRunningMeansNoConnectionAndNoException) {
  std::unique_ptr<TExcel> excel;
  EXPECT_NO_THROW(excel = TExcel::Connect());
  EXPECT_EQ(excel, nullptr);
  EXPECT_FALSE(kestrine::automation::GetBackendActiveObject(u"Kestrine.NoSuchProgram"));
  EXPECT_FALSE(kestrine::automation::GetBackendActiveObject(u""));
}

TEST_F(ComLinkTest, EachCallIsOneLookupAndOneInvokeAsExcelExpectsThem) {
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  auto books = excel->Workbooks();
  EXPECT_EQ(books.Count(), 2);
  auto book = books.Item(1);
  EXPECT_EQ(book.Name(), u"売上.xlsx");
  auto sheets = books.Item(u"売上.xlsx").WorkSheets();
  EXPECT_EQ(sheets.Count(), 3);
  EXPECT_EQ(sheets.Item(2).Visible(), 0);
  auto sheet = sheets.Item(u"集計");
  EXPECT_EQ(sheet.Name(), u"集計");
  EXPECT_EQ(sheet.Rows().Count(), 1048576);
  auto cell = sheet.Cells(2, 5);  // B5
  EXPECT_EQ(cell.Column(), 2);
  EXPECT_EQ(cell.Row(), 5);
  EXPECT_TRUE(Called(server, "Worksheet(売上.xlsx!集計).Cells(5, 2)"));
  book.Activate();

  ASSERT_EQ(log->calls.size(), server.CallCount());
  for (const DispatchCall& call : log->calls) {
    SCOPED_TRACE(kestrine::ToUtf8(call.name));
    EXPECT_EQ(call.locale, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
    EXPECT_EQ(call.flags, call.name == u"Activate" ? DISPATCH_METHOD : DISPATCH_PROPERTYGET);
    EXPECT_EQ(call.namedArgs, 0u);
    EXPECT_TRUE(call.resultSupplied);
    if (call.name == u"Cells") {
      EXPECT_EQ(call.argTypes, (std::vector<VARTYPE>{VT_I4, VT_I4}));
    }
  }
  EXPECT_EQ(log->calls[2].argTypes, std::vector<VARTYPE>{VT_I4});    // item(1)
  EXPECT_EQ(log->calls[4].argTypes, std::vector<VARTYPE>{VT_BSTR});  // item("売上.xlsx")

  // Nothing is cached: the same call twice is two lookups and two invocations.
  const size_t before = log->calls.size();
  books.Count();
  books.Count();
  EXPECT_EQ(log->calls.size(), before + 2);
}

TEST_F(ComLinkTest, NoWorkbookOpen) {
  server.books.clear();
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  EXPECT_EQ(excel->Workbooks().Count(), 0);
}

TEST_F(ComLinkTest, RejectedIndexOrNameCarriesTheServersMessage) {
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  auto books = excel->Workbooks();
  auto sheets = books.Item(1).WorkSheets();
  const std::function<void()> calls[] = {
      [&] { books.Item(0); },  [&] { books.Item(3); },  [&] { books.Item(u"存在しない.xlsx"); },
      [&] { sheets.Item(0); }, [&] { sheets.Item(4); }, [&] { sheets.Item(u"NoSuchSheet"); },
  };
  for (size_t i = 0; i < std::size(calls); ++i) {
    EXPECT_EQ(MessageOf(calls[i]), u"インデックスが有効範囲にありません。") << i;
  }
}

TEST_F(ComLinkTest, FailureWithoutDescriptionFallsBackToTheCode) {
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  auto books = excel->Workbooks();
  struct Case {
    HRESULT code;
    std::function<void()> arrange;
  } cases[] = {
      // The server's own error code when it gives no description.
      {static_cast<HRESULT>(0x800A03EC), [&] { server.FailCallsMatching("Workbooks.Count", u""); }},
      // A name the server does not know fails in GetIDsOfNames, which has no description.
      {DISP_E_UNKNOWNNAME, [&] { log->unknownNames.insert(u"Count"); }},
  };
  for (const Case& c : cases) {
    c.arrange();
    const UnicodeString message = MessageOf([&] { books.Count(); });
    const UnicodeString system = kestrine::platform::SystemErrorText(static_cast<int>(c.code));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message, system) << std::hex << c.code;
    server.ClearFaults();
    log->unknownNames.clear();
  }
}

// A busy Excel refuses calls until the user leaves the cell: refusals within the retry time
// are waited out, longer ones end in the busy message after about two seconds.
TEST_F(ComLinkTest, RefusedCallsAreRetriedForAShortWhile) {
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  auto books = excel->Workbooks();
  const UnicodeString busy =
      u"Excelが操作を受け付けません。セルの編集やダイアログを終えてから、もう一度実行してください"
      u"。";
  const struct {
    int refused;
    HRESULT refusal;
    bool answered;
  } cases[] = {{1, RPC_E_CALL_REJECTED, true},
               {5, RPC_E_SERVERCALL_RETRYLATER, true},
               {1000, RPC_E_CALL_REJECTED, false},
               {1000, RPC_E_SERVERCALL_RETRYLATER, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.refused) + " refused");
    log->refuseCalls = c.refused;
    log->refusal = c.refusal;
    const auto start = std::chrono::steady_clock::now();
    if (c.answered) {
      EXPECT_EQ(books.Count(), 2);
      EXPECT_EQ(log->refuseCalls, 0);
    } else {
      EXPECT_EQ(MessageOf([&] { books.Count(); }), busy);
      const auto waited = std::chrono::steady_clock::now() - start;
      EXPECT_GE(waited, std::chrono::milliseconds(1900));
      EXPECT_LT(waited, std::chrono::seconds(5));
    }
    log->refuseCalls = 0;
  }
  // Other failures are not retried.
  server.FailAtCall(server.CallCount(), u"壊れています");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MessageOf([&] { books.Count(); }), u"壊れています");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(ComLinkTest, ActivateSheetTouchesTheCellOnlyWithBothCoordinates) {
  Run();
  TestWindow other(L"KestrineOtherWindow");
  TestWindow excelWindow(L"XLMAIN", 400, 40);
  const struct {
    int column, row;
    bool cellTouched;
  } cases[] = {{2, 5, true}, {-1, 5, false}, {2, -1, false}, {-1, -1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.column) + "," + std::to_string(c.row));
    server.SetActive(u"Budget.xlsx", u"Q1", 1, 1);
    server.ClearCalls();
    SetForegroundWindow(other.Handle());
    ASSERT_EQ(GetForegroundWindow(), other.Handle());
    auto excel = TExcel::Connect();
    ASSERT_TRUE(excel);
    excel->ActivateSheet(u"売上.xlsx", u"集計", c.column, c.row);
    EXPECT_EQ(server.activeBook, 0);
    EXPECT_EQ(server.activeSheet, 2);
    EXPECT_EQ(Called(server, "Worksheet(売上.xlsx!集計).Cells(5, 2)"), c.cellTouched);
    EXPECT_EQ(server.activeColumn, c.cellTouched ? 2 : 1);
    EXPECT_EQ(server.activeRow, c.cellTouched ? 5 : 1);
    EXPECT_EQ(GetForegroundWindow(), excelWindow.Handle());
  }
}

TEST_F(ComLinkTest, MissingSheetActivatesTheWorkbookButRaisesNoWindow) {
  Run();
  TestWindow other(L"KestrineOtherWindow");
  TestWindow excelWindow(L"XLMAIN", 400, 40);
  server.SetActive(u"Budget.xlsx", u"Q1", 1, 1);
  SetForegroundWindow(other.Handle());
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  EXPECT_EQ(MessageOf([&] { excel->ActivateSheet(u"売上.xlsx", u"消えたシート", 2, 5); }),
            u"インデックスが有効範囲にありません。");
  EXPECT_EQ(server.activeBook, 0);
  EXPECT_EQ(server.activeColumn, 1);
  EXPECT_EQ(GetForegroundWindow(), other.Handle());
}

TEST_F(ComLinkTest, NoExcelWindowLeavesTheForegroundAlone) {
  Run();
  TestWindow other(L"KestrineOtherWindow");
  ASSERT_EQ(FindWindowW(L"XLMAIN", nullptr), nullptr);
  SetForegroundWindow(other.Handle());
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  EXPECT_NO_THROW(excel->ActivateSheet(u"Budget.xlsx", u"Q1", 3, 4));
  EXPECT_EQ(server.activeRow, 4);
  EXPECT_EQ(GetForegroundWindow(), other.Handle());
}

TEST_F(ComLinkTest, LostConnectionMidSessionIsAnException) {
  Run();
  auto excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  auto books = excel->Workbooks();
  server.DropConnection();
  EXPECT_EQ(MessageOf([&] { books.Count(); }), AutomationServer::DroppedMessage());
}

// ---------------------------------------------------------------------------------------
// The server in a second process (kestrine_com_server.exe beside this executable).

namespace {

class ServerProcess {
 public:
  explicit ServerProcess(int refusedCalls = 0) {
    static int serial = 0;
    const std::string suffix =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    const std::string ready = "kestrine-com-ready-" + suffix, stop = "kestrine-com-stop-" + suffix;
    ready_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    stop_ = CreateEventA(nullptr, TRUE, FALSE, stop.c_str());
    UnicodeString exe = kestrine::platform::ExecutablePath();
    exe = exe.substr(0, exe.find_last_of(u'\\') + 1) + u"kestrine_com_server.exe";
    std::wstring command = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\" " +
                           std::wstring(ready.begin(), ready.end()) + L" " +
                           std::wstring(stop.begin(), stop.end()) + L" " +
                           std::to_wstring(refusedCalls);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info_)) {
      CloseHandle(info_.hThread);
      const HANDLE waits[] = {ready_, info_.hProcess};
      ready_ok_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
  }
  ~ServerProcess() {
    if (info_.hProcess) {
      SetEvent(stop_);
      if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) Kill();
      CloseHandle(info_.hProcess);
    }
    CloseHandle(ready_);
    CloseHandle(stop_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Ready() const { return ready_ok_; }
  void Kill() {
    TerminateProcess(info_.hProcess, 9);
    WaitForSingleObject(info_.hProcess, 10000);
  }

 private:
  HANDLE ready_, stop_;
  PROCESS_INFORMATION info_{};
  bool ready_ok_ = false;
};

struct ComLinkAcrossProcesses : ::testing::Test {
  void SetUp() override {
    std::string why;
    if (!RegisterTestProgId(why)) GTEST_SKIP() << why;
  }
};

}  // namespace

TEST_F(ComLinkAcrossProcesses, MainPaths) {
  ServerProcess process;
  ASSERT_TRUE(process.Ready());
  // A thread of its own, without COM: the connection brings and takes away its own.
  std::thread([] {
    {
      auto excel = TExcel::Connect();
      ASSERT_TRUE(excel);
      auto books = excel->Workbooks();
      ASSERT_EQ(books.Count(), 2);
      EXPECT_EQ(books.Item(1).Name(), u"売上.xlsx");
      EXPECT_EQ(books.Item(u"売上.xlsx").WorkSheets().Item(2).Visible(), 0);
      EXPECT_EQ(MessageOf([&] { books.Item(3); }), u"インデックスが有効範囲にありません。");
      excel->ActivateSheet(u"売上.xlsx", u"集計", 2, 5);
      EXPECT_EQ(excel->ActiveSheet().Name(), u"集計");
      auto cell = excel->ActiveCell();
      EXPECT_EQ(cell.Column(), 2);
      EXPECT_EQ(cell.Row(), 5);
    }
    // Every CoInitialize of the connection was undone: COM is new to this thread again.
    const HRESULT again = CoInitialize(nullptr);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again)) CoUninitialize();
  }).join();
}

// The refusal crosses the process boundary as Excel's does, and is waited out the same way.
TEST_F(ComLinkAcrossProcesses, RefusedCallsOfABusyServerAreRetried) {
  ServerProcess process(4);
  ASSERT_TRUE(process.Ready());
  std::thread([] {
    auto excel = TExcel::Connect();
    ASSERT_TRUE(excel);
    EXPECT_EQ(excel->Workbooks().Count(), 2);
  }).join();
}

TEST_F(ComLinkAcrossProcesses, ServerDyingMidSessionIsAnException) {
  ServerProcess process;
  ASSERT_TRUE(process.Ready());
  std::thread([&] {
    auto excel = TExcel::Connect();
    ASSERT_TRUE(excel);
    auto books = excel->Workbooks();
    EXPECT_EQ(books.Count(), 2);
    process.Kill();
    EXPECT_FALSE(MessageOf([&] { books.Count(); }).empty());
    // What the dead server left in the table of active objects leads nowhere.
    EXPECT_EQ(TExcel::Connect(), nullptr);
  }).join();
}
