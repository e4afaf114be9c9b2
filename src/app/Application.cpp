#include "app/Application.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <utility>

#include "app/QtText.h"
#include "app/native/GlobalHotKey.h"
#include "base/Exception.h"
#include "base/Notice.h"

static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace kestrine::app {

namespace {

WarningBoxFunction& WarningBoxHook() {
  static WarningBoxFunction hook;
  return hook;
}

UnicodeString& HelpFile() {
  static UnicodeString file;
  return file;
}

void RealWarningBox(QWidget* parent, const QString& text) {
  // An owner hidden in the tray would place the box where the owner last stood, and a window
  // manager may keep it behind the active program: the box stands alone, centred, in front.
  const bool alone = !parent || !parent->window()->isVisible();
  QMessageBox box(QMessageBox::Warning, QStringLiteral("警告"), text, QMessageBox::Ok,
                  alone ? nullptr : parent);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  if (alone) {
    // Qt centres a box without owner on a guessed frame; once shown, its real size is known.
    QTimer::singleShot(0, &box, [&box] {
      if (const QScreen* screen = box.screen()) {
        const QRect frame = box.frameGeometry();
        box.move(screen->availableGeometry().center() -
                 QPoint(frame.width() / 2, frame.height() / 2) + QPoint(1, 1));
      }
      box.raise();
      box.activateWindow();
    });
  }
  box.exec();
}

}  // namespace

void ShowWarningBox(QWidget* parent, const QString& text) {
  if (!parent) parent = QApplication::activeWindow();
  // Copy first: the hook may replace itself while it runs.
  WarningBoxFunction hook = WarningBoxHook();
  if (hook) {
    hook(parent, text);
  } else {
    RealWarningBox(parent, text);
  }
}

WarningBoxFunction SetWarningBoxFunction(WarningBoxFunction function) {
  return std::exchange(WarningBoxHook(), std::move(function));
}

void ReportEscapedException(std::exception_ptr error) {
  QString message;
  try {
    std::rethrow_exception(std::move(error));
  } catch (const Exception& e) {
    message = ToQString(e.Message());
  } catch (...) {
    // Anything else is shown as an Exception with an empty message.
  }
  ShowWarningBox(nullptr, message);
}

void SetHelpFile(const UnicodeString& path) {
  HelpFile() = path;
}
const UnicodeString& GetHelpFile() {
  return HelpFile();
}

void InitResources() {
  static const bool done = (InitIconResources(), true);
  (void)done;
}

void TApplication::PrepareEnvironment() {
  if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  kestrine::native::PreferPlatformWithGlobalKeys();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InitResources();
  // Only the main window's close ends the program (TFormMain::closeEvent): with the window
  // hidden in the tray, a message box is the last window, and closing it is no request to end.
  setQuitOnLastWindowClosed(false);
  // The core's own warnings (a settings folder that cannot be made) use the same box.
  SetWarningHandler([](const UnicodeString& text) { ShowWarningBox(nullptr, ToQString(text)); });
}

TApplication::~TApplication() {
  SetWarningHandler({});
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    // The handler ends here; the program goes on with the next event.
    ReportEscapedException(std::current_exception());
  }
  return false;
}

}  // namespace kestrine::app
