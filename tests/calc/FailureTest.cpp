// An office that dies or stops answering in the middle of a command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Office.h"
#include "base/Exception.h"
#include "excel/Excel.h"
#include "excel/uno/UnoBackend.h"

namespace kestrine::calc {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// One whole reload's worth of calls.
void ReadEverything(TExcel& excel) {
  Excel::TWorkbooks books = excel.Workbooks();
  for (int b = 1, n = books.Count(); b <= n; ++b) {
    Excel::TWorkbook book = books.Item(b);
    book.Name();
    for (int s = 1, m = book.WorkSheets().Count(); s <= m; ++s) {
      Excel::TWorksheet sheet = book.WorkSheets().Item(s);
      if (sheet.Visible() == -1) sheet.Name();
    }
  }
}

// LibreOffice writes to its pipe without MSG_NOSIGNAL: a write racing the office's death
// raises SIGPIPE in the writing thread, which must not end the process.
std::vector<std::string> BridgeThreadsTakingSigPipe() {
  std::vector<std::string> open;
  int bridgeThreads = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind("binaryurp", 0) != 0) continue;
    ++bridgeThreads;
    std::ifstream status(task.path() / "status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("SigBlk:", 0) == 0 &&
          !(std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGPIPE - 1))))
        open.push_back(name);
  }
  if (bridgeThreads == 0) open.push_back("(no bridge threads found)");
  return open;
}

TEST(CalcFailure, OfficeKilledInTheMiddleOfACommand) {
  Office office("failure");
  office.OpenSamples();
  std::unique_ptr<TExcel> excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  ReadEverything(*excel);
  EXPECT_EQ(BridgeThreadsTakingSigPipe(), std::vector<std::string>());

  std::atomic<bool> reading{false};
  std::thread killer([&] {
    while (!reading) std::this_thread::yield();
    std::this_thread::sleep_for(milliseconds(150));
    office.Kill();
  });
  std::string message = "(no exception)";
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  try {
    while (Clock::now() < deadline) {
      reading = true;
      ReadEverything(*excel);
    }
  } catch (const Exception& e) {
    message = e.what();
  }
  reading = true;
  killer.join();
  EXPECT_EQ(message, ToUtf8(uno::kConnectionLostMessage));

  // The rest of the command fails at once with the same text; nothing crashes on release.
  const auto start = Clock::now();
  try {
    excel->Workbooks().Count();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), ToUtf8(uno::kConnectionLostMessage));
  }
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  excel.reset();

  // The next command finds nobody on the pipe.
  EXPECT_FALSE(TExcel::Connect());
}

TEST(CalcFailure, FrozenOfficeFailsAfterTheBoundedWaitAndIsDropped) {
  Office office("failure");
  office.OpenSamples();
  std::unique_ptr<TExcel> excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  ASSERT_EQ(excel->Workbooks().Count(), 3);

  // A command that ends while the office is stopped lets go at once.
  office.Freeze();
  auto start = Clock::now();
  excel.reset();
  EXPECT_LT(Clock::now() - start, milliseconds(500));
  office.Thaw();

  excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  Excel::TWorkbooks books = excel->Workbooks();
  ASSERT_EQ(books.Count(), 3);

  office.Freeze();
  start = Clock::now();
  try {
    books.Item(1).Name();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), ToUtf8(uno::kNotRespondingMessage));
  }
  const double waited = Seconds(Clock::now() - start);
  EXPECT_GE(waited, 9.9);
  EXPECT_LT(waited, 12.0);

  // Dropped: no second wait within the same command, and release does not block.
  start = Clock::now();
  try {
    books.Count();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), ToUtf8(uno::kConnectionLostMessage));
  }
  books = Excel::TWorkbooks(Variant());
  excel.reset();
  EXPECT_LT(Clock::now() - start, milliseconds(500));

  // Attaching to the frozen office gives up after the same wait, with the same text.
  start = Clock::now();
  try {
    excel = TExcel::Connect();
    ADD_FAILURE() << "connected to a frozen office";
  } catch (const Exception& e) {
    EXPECT_EQ(ToUtf8(e.Message()), ToUtf8(uno::kNotRespondingMessage));
  }
  EXPECT_GE(Seconds(Clock::now() - start), 9.9);
  EXPECT_LT(Seconds(Clock::now() - start), 12.0);

  // Once it answers again, the next command works.
  office.Thaw();
  excel = TExcel::Connect();
  ASSERT_TRUE(excel);
  EXPECT_EQ(excel->Workbooks().Count(), 3);
}

}  // namespace
}  // namespace kestrine::calc
