#include "app/native/Help.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "app/QtText.h"
#include "platform/win/Win32Gui.h"

namespace kestrine::native {

// HTML Help owned by the application's window; a missing file is reported by the viewer.
void ShowHelp(QWidget* owner, const UnicodeString& helpFile, int topic) {
  const auto window =
      owner ? reinterpret_cast<kestrine::win::WindowHandle>(owner->window()->winId()) : nullptr;
  if (topic == 0) {
    kestrine::win::ShowHelpContents(window, helpFile);
  } else {
    kestrine::win::ShowHelpTopic(window, helpFile, topic);
  }
}

QString HelpLocation(const UnicodeString& helpFile) {
  const QString path = kestrine::app::ToQString(helpFile);
  return QFileInfo(path).isFile() ? QDir::toNativeSeparators(path) : QString();
}

}  // namespace kestrine::native
