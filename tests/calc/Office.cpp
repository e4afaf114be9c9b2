#include "Office.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include <com/sun/star/awt/XTopWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <osl/file.hxx>

#include "excel/uno/UnoBackend.h"
#include "support/TestHelpers.h"

namespace kestrine::calc {

namespace {

namespace fs = std::filesystem;
namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

const char* const kSamples[] = {"Budget.xlsx", "予定表.xlsx", "Inventory.ods"};

std::vector<Reference<css::frame::XModel>> Documents(uno::Connection& raw) {
  std::vector<Reference<css::frame::XModel>> documents;
  auto components = raw.Desktop()->getComponents()->createEnumeration();
  while (components->hasMoreElements()) {
    Reference<css::frame::XModel> model(components->nextElement(), UNO_QUERY);
    if (model.is()) documents.push_back(model);
  }
  return documents;
}

template <class Interface>
UnicodeString Title(const Reference<Interface>& document) {
  return uno::FromOUString(Reference<css::frame::XTitle>(document, UNO_QUERY_THROW)->getTitle());
}

Reference<css::frame::XModel> Find(uno::Connection& raw, const UnicodeString& title) {
  for (const auto& document : Documents(raw))
    if (Title(document) == title) return document;
  throw std::runtime_error("no document titled " + ToUtf8(title));
}

Reference<css::sheet::XSpreadsheetView> View(uno::Connection& raw, const UnicodeString& title) {
  return Reference<css::sheet::XSpreadsheetView>(Find(raw, title)->getCurrentController(),
                                                 UNO_QUERY_THROW);
}

Reference<css::awt::XTopWindow2> TopWindow(uno::Connection& raw, const UnicodeString& title) {
  return Reference<css::awt::XTopWindow2>(
      Find(raw, title)->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY_THROW);
}

}  // namespace

std::string SamplesDir() {
  return KESTRINE_SAMPLES_DIR;
}

std::string Office::ProfileFor(const std::string& name) {
  return std::string(KESTRINE_CALC_WORK_DIR) + "/profile-" + name;
}

Office::Office(const std::string& name, Accept accept, const std::string& pipe,
               const std::string& display)
    : name_(name),
      profile_(ProfileFor(name)),
      docs_(std::string(KESTRINE_CALC_WORK_DIR) + "/docs-" + name),
      pipe_(pipe.empty() ? "kestrine-test-" + std::to_string(getpid()) + "-" + name : pipe),
      accept_(accept),
      display_(display) {
  uno::SetPipeNameForTesting(pipe_);
  Start();
}

Office::~Office() {
  Kill();
}

void Office::Start() {
  // Our offices die by SIGKILL: a lock left behind would stop the next start.
  fs::create_directories(profile_);
  fs::remove(profile_ + "/.lock");
  const std::string log = std::string(KESTRINE_CALC_WORK_DIR) + "/office-" + name_ + ".log";
  const std::string program = std::string(KESTRINE_LO_PROGRAM_DIR) + "/soffice.bin";
  rtl::OUString profileUrl;
  osl::FileBase::getFileURLFromSystemPath(
      rtl::OStringToOUString(profile_.c_str(), RTL_TEXTENCODING_UTF8), profileUrl);
  std::vector<std::string> args = {
      program,
      "-env:UserInstallation=" +
          std::string(rtl::OUStringToOString(profileUrl, RTL_TEXTENCODING_UTF8).getStr()),
      "--norestore", "--nologo", "--nodefault"};
  if (display_.empty()) args.push_back("--headless");
  if (accept_ == Accept::CommandLine)
    args.push_back("--accept=pipe,name=" + pipe_ + ";urp;StarOffice.ComponentContext");
  std::vector<std::string> environment = {"DISPLAY"};
  if (!display_.empty()) environment.back() = "DISPLAY=" + display_;

  // A fresh profile makes the office restart itself once; allow for that.
  for (int attempt = 0; attempt < 3; ++attempt) {
    process_ = test::ChildProcess(args, {.environment = environment, .log = log, .passAs3 = -1});
    const bool listening = test::WaitUntil(
        std::chrono::seconds(60),
        [&] { return !process_.Running() || uno::Connection::Open(pipe_) != nullptr; },
        std::chrono::milliseconds(100));
    if (process_.Running() && listening) return;
    if (process_.Running()) {
      Kill();
      throw std::runtime_error("the office did not accept on its pipe within 60 s; see " + log);
    }
  }
  throw std::runtime_error("the office kept exiting at start; see " + log);
}

void Office::Kill() {
  process_.Kill();
}

bool Office::Terminate() {
  if (!process_.Running()) return true;
  try {
    auto link = Link();
    link->Run([&] { link->Desktop()->terminate(); });
  } catch (const std::exception&) {
    // The pipe may close before the answer arrives.
  }
  return process_.WaitForExit(std::chrono::seconds(30));
}

void Office::Freeze() {
  process_.Signal(SIGSTOP);
}
void Office::Thaw() {
  process_.Signal(SIGCONT);
}

std::shared_ptr<uno::Connection> Office::Link() {
  std::shared_ptr<uno::Connection> link = uno::Connection::Open(pipe_);
  if (!link) throw std::runtime_error("the office is gone");
  return link;
}

void Office::CloseAll() {
  auto link = Link();
  link->Run([&] {
    for (const auto& document : Documents(*link))
      Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
  });
}

void Office::OpenSamples() {
  CloseAll();
  // Copies, so the office's lock files never land in the source tree.
  fs::remove_all(docs_);
  fs::create_directories(docs_);
  for (const char* sample : kSamples)
    fs::copy_file(fs::path(SamplesDir()) / fs::u8path(sample),
                  fs::path(docs_) / fs::u8path(sample));
  auto link = Link();
  link->Run([&] {
    Reference<css::frame::XComponentLoader> loader(link->Desktop(), UNO_QUERY_THROW);
    for (const char* sample : kSamples) {
      rtl::OUString url;
      const std::string path = docs_ + "/" + sample;
      osl::FileBase::getFileURLFromSystemPath(
          rtl::OStringToOUString(path.c_str(), RTL_TEXTENCODING_UTF8), url);
      loader->loadComponentFromURL(url, "_blank", 0, {});
    }
  });
}

UnicodeString Office::OpenNewSpreadsheet(int sheets) {
  auto link = Link();
  return link->Run([&] {
    Reference<css::frame::XComponentLoader> loader(link->Desktop(), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheetDocument> document(
        loader->loadComponentFromURL("private:factory/scalc", "_blank", 0, {}), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheets> all = document->getSheets();
    Reference<css::container::XIndexAccess> indexed(all, UNO_QUERY_THROW);
    Reference<css::container::XNamed>(indexed->getByIndex(0), UNO_QUERY_THROW)->setName("S1");
    for (int i = 2; i <= sheets; ++i)
      all->insertNewByName("S" + rtl::OUString::number(i), static_cast<sal_Int16>(i - 1));
    return Title(document);
  });
}

UnicodeString Office::CurrentTitle() {
  auto link = Link();
  return link->Run([&] {
    Reference<css::lang::XComponent> current = link->Desktop()->getCurrentComponent();
    return current.is() ? Title(current) : UnicodeString();
  });
}

UnicodeString Office::ActiveSheetName(const UnicodeString& title) {
  auto link = Link();
  return link->Run([&] {
    return uno::FromOUString(
        Reference<css::container::XNamed>(View(*link, title)->getActiveSheet(), UNO_QUERY_THROW)
            ->getName());
  });
}

std::pair<int, int> Office::SelectedCell(const UnicodeString& title) {
  auto link = Link();
  return link->Run([&] {
    const css::uno::Any selection =
        Reference<css::view::XSelectionSupplier>(View(*link, title), UNO_QUERY_THROW)
            ->getSelection();
    const auto range =
        Reference<css::sheet::XCellRangeAddressable>(selection, UNO_QUERY_THROW)->getRangeAddress();
    return std::pair<int, int>(range.StartColumn + 1, range.StartRow + 1);
  });
}

void Office::SelectCell(const UnicodeString& title, int column, int row) {
  auto link = Link();
  link->Run([&] {
    auto view = View(*link, title);
    Reference<css::table::XCellRange> cell =
        view->getActiveSheet()->getCellRangeByPosition(column - 1, row - 1, column - 1, row - 1);
    Reference<css::view::XSelectionSupplier>(view, UNO_QUERY_THROW)->select(css::uno::Any(cell));
  });
}

void Office::SetMinimized(const UnicodeString& title, bool minimized) {
  auto link = Link();
  link->Run([&] { TopWindow(*link, title)->setIsMinimized(minimized); });
}

bool Office::IsMinimized(const UnicodeString& title) {
  auto link = Link();
  return link->Run([&] { return static_cast<bool>(TopWindow(*link, title)->getIsMinimized()); });
}

}  // namespace kestrine::calc
