// Kestrine: quick access to the sheets of the workbooks open in the running spreadsheet.
#include <QMessageBox>
#include <exception>

#include "app/Application.h"
#include "app/FormMain.h"
#include "app/QtText.h"
#include "base/Exception.h"

namespace {

// What escapes the start-up or the loop itself: shown, and the program still returns 0.
void ShowStartupException(std::exception_ptr error) {
  QString message;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    message = kestrine::app::ToQString(e.Message());
  } catch (...) {
  }
  QMessageBox::critical(nullptr, kestrine::app::kApplicationTitle, message);
}

}  // namespace

int main(int argc, char** argv) {
  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  try {
    // Only the name: a display name would be appended to every window title, "警告" included.
    QApplication::setApplicationName(kestrine::app::kApplicationTitle);
    TFormMain FormMain;
    FormMain.show();
    QApplication::exec();
  } catch (...) {
    ShowStartupException(std::current_exception());
  }
  return 0;
}
