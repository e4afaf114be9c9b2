#pragma once
// The application object: the one place where an exception that escapes an event handler is
// caught, and the warning box every command uses.
#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

#include "base/UnicodeString.h"

class QWidget;

namespace kestrine::app {

// The application title: the main window's caption and the tray icon's tool tip.
inline const QString kApplicationTitle = QStringLiteral("Kestrine");

// The platform's warning dialog: caption "警告", warning icon, the text, one button "OK".
void ShowWarningBox(QWidget* parent, const QString& text);

// Tests put a recorder here; an empty function brings the real message box back.
using WarningBoxFunction = std::function<void(QWidget* parent, const QString& text)>;
WarningBoxFunction SetWarningBoxFunction(WarningBoxFunction function);

// Shows the message of an exception that escaped a handler. Call from inside a catch block
// or pass the exception; what does not derive from Exception shows an empty message.
void ReportEscapedException(std::exception_ptr error);

// A signal's handler whose exceptions are reported as notify reports them, but before they
// reach Qt's frames: those are not built to be unwound, and unwinding them skips their cleanup.
template <class Handler>
auto Reported(Handler handler) {
  return [handler = std::move(handler)] {
    try {
      handler();
    } catch (...) {
      ReportEscapedException(std::current_exception());
    }
  };
}

// The help file: the executable's path with its extension replaced by ".CHM".
void SetHelpFile(const UnicodeString& path);
const UnicodeString& GetHelpFile();

// Registers the icons of the resource file; safe to call more than once.
void InitResources();

class TApplication : public QApplication {
  Q_OBJECT
 public:
  // Must run before the application object exists: it picks the event dispatcher that
  // reports "about to block" only when nothing is queued, which the first idle pass needs.
  static void PrepareEnvironment();

  TApplication(int& argc, char** argv);
  ~TApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kestrine::app
