#include "app/native/Help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include "app/Application.h"
#include "app/QtText.h"

namespace kestrine::native {

namespace {

QString PageOf(int topic) {
  switch (topic) {
    case 6:
      return QStringLiteral("settings.html");
    case 12:
      return QStringLiteral("bookmark-edit.html");
    default:
      return QStringLiteral("index.html");
  }
}

// No HTML Help here: the pages are plain HTML. A build tree keeps them beside the program, an
// installation in <prefix>/share/kestrine/help beside <prefix>/bin; the help file's name only
// tells where the program is.
QStringList Candidates(const UnicodeString& helpFile, const QString& page) {
  const QDir programDir = QFileInfo(kestrine::app::ToQString(helpFile)).absoluteDir();
  return {QDir::cleanPath(programDir.filePath(QStringLiteral("help/") + page)),
          QDir::cleanPath(programDir.filePath(QStringLiteral("../share/kestrine/help/") + page))};
}

QString FindPage(const QStringList& candidates) {
  for (const QString& path : candidates) {
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

}  // namespace

void ShowHelp(QWidget* owner, const UnicodeString& helpFile, int topic) {
  const QStringList candidates = Candidates(helpFile, PageOf(topic));
  const QString page = FindPage(candidates);
  if (page.isEmpty()) {
    kestrine::app::ShowWarningBox(
        owner, QStringLiteral("ヘルプが見つかりません。\n") + candidates.join(QChar(u'\n')));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
    kestrine::app::ShowWarningBox(owner, QStringLiteral("ヘルプを開けませんでした。\n") + page);
  }
}

QString HelpLocation(const UnicodeString& helpFile) {
  return FindPage(Candidates(helpFile, PageOf(0)));
}

}  // namespace kestrine::native
