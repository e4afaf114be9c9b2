#include "app/native/Help.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/QtText.h"

namespace kestrine::native {

// No HTML Help here: the desktop's handler for the file type opens it, and a viewer reached
// that way cannot be sent to a topic, so every topic opens the file at its start.
void ShowHelp(QWidget*, const UnicodeString& helpFile, int) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(kestrine::app::ToQString(helpFile)));
}

}  // namespace kestrine::native
