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
  QMessageBox::critical(nullptr, QStringLiteral("Kestrine"), message);
}

}  // namespace

int main(int argc, char** argv) {
  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  try {
    QApplication::setApplicationName(QStringLiteral("Kestrine"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrine"));
    TFormMain FormMain;
    FormMain.show();
    QApplication::exec();
  } catch (...) {
    ShowStartupException(std::current_exception());
  }
  return 0;
}
