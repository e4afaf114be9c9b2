// Kestrine: quick access to the sheets of the workbooks open in the running spreadsheet.
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <exception>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/FormMain.h"
#include "app/QtText.h"
#include "app/native/Help.h"
#include "app/native/Termination.h"
#include "base/Exception.h"
#include "platform/Platform.h"

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
  // Before the application object: --version and --help must answer without a display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const kestrine::app::CommandLineOutcome outcome =
      kestrine::app::ParseCommandLine(arguments, QStringLiteral(KESTRINE_VERSION_TEXT),
                                      kestrine::native::HelpLocation(kestrine::ChangeFileExt(
                                          kestrine::platform::ExecutablePath(), u".CHM")));
  if (!outcome.run) {
    std::fputs(outcome.text.toLocal8Bit().constData(), outcome.error ? stderr : stdout);
    return outcome.exitCode;
  }

  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  try {
    // Only the name: a display name would be appended to every window title, "警告" included.
    QApplication::setApplicationName(kestrine::app::kApplicationTitle);
    TFormMain FormMain;
    // Ended by the system rather than by the user: closed as by its close button, which saves.
    kestrine::native::OnTerminationRequest(&FormMain, [&FormMain] { FormMain.close(); });
    FormMain.show();
    QApplication::exec();
  } catch (...) {
    ShowStartupException(std::current_exception());
  }
  return 0;
}
