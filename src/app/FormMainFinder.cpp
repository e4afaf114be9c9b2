// The main window's side of the sheet finder: its rows, its jumps, Ctrl+F and its hotkey.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <map>

#include "app/Application.h"
#include "app/FormFinder.h"
#include "app/FormMain.h"
#include "app/Messages.h"
#include "app/QtText.h"
#include "app/native/GlobalHotKey.h"
#include "hotkey/HotKeyCode.h"

using kestrine::app::ToQString;

using kestrine::app::kHotKeyFailed;

namespace {

// The other hotkey draws its identifiers from 1..100.
constexpr int kFinderHotKeyId = 101;
constexpr size_t kRecentShown = 20;
// More than are shown, so places that are no longer listed leave older ones to show.
constexpr size_t kRecentKept = 100;
constexpr int kBookmarkImage = 0, kSheetImage = 2;

}  // namespace

void TFormMain::SetUpFinder() {
  ActionFinder = new QAction(QStringLiteral("シートの検索"), this);
  ActionFinder->setObjectName(QStringLiteral("ActionFinder"));
  ActionFinder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  // On the window only: no tool button, no menu entry.
  addAction(ActionFinder);
  connect(ActionFinder, &QAction::triggered, this,
          kestrine::app::Reported([this] { ShowFinder(); }));

  connect(HotKey, &kestrine::native::GlobalHotKey::Activated, this, [this](int id) {
    // A modal dialog of this program would block the finder's box.
    if (id != kFinderHotKeyId || !FinderHotKeyRegistered || QApplication::activeModalWidget())
      return;
    kestrine::app::Reported([this] { ShowFinder(); })();
  });
}

void TFormMain::ShowFinder() {
  std::vector<TFinderRow> rows;
  rows.reserve(Config.Bookmarks.size() + SheetTable.size());
  // Bookmarks as the tray menu offers them: only those whose sheet is listed.
  for (size_t i = 0; i < Config.Bookmarks.size(); ++i) {
    const TBookmarkItem& bookmark = *Config.Bookmarks[i];
    if (!IsBookListed(bookmark.BookName) || !IsSheetListed(bookmark.BookName, bookmark.SheetName))
      continue;
    rows.push_back(TFinderRow{TFinderRow::Kind::Bookmark, ToQString(bookmark.GetDisplayText()),
                              QString(), static_cast<int>(i), bookmark.BookName,
                              bookmark.SheetName});
  }
  std::map<TPlace, int> rowOfPlace;
  for (const auto& [number, names] : SheetTable) {
    const auto& [book, sheet] = names;
    rowOfPlace.emplace(TPlace(book, sheet), static_cast<int>(rows.size()));
    rows.push_back(TFinderRow{TFinderRow::Kind::Sheet, ToQString(sheet), ToQString(book), number,
                              book, sheet});
  }
  std::vector<int> recent;
  for (const TPlace& place : RecentPlaces) {
    if (recent.size() == kRecentShown) break;
    if (const auto found = rowOfPlace.find(place); found != rowOfPlace.end()) {
      recent.push_back(found->second);
    }
  }
  // Made when first asked for, not while the program starts.
  if (!Finder) {
    Finder = std::make_unique<TFormFinder>(ImageListExcelNode[kSheetImage],
                                           ImageListExcelNode[kBookmarkImage]);
    Finder->OnChoose = [this](const TFinderRow& row) { FinderChoose(row); };
  }
  Finder->SetRows(std::move(rows), std::move(recent));
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  Finder->Open(screen ? screen : QGuiApplication::primaryScreen());
}

void TFormMain::FinderChoose(const TFinderRow& row) {
  // The rows were built when the finder opened; a reload since then may have renumbered.
  if (row.kind == TFinderRow::Kind::Bookmark) {
    const auto index = static_cast<size_t>(row.number);
    if (index >= Config.Bookmarks.size()) return;
    const TBookmarkItem& bookmark = *Config.Bookmarks[index];
    if (bookmark.BookName != row.bookName || bookmark.SheetName != row.sheetName) return;
    JumpToBookmark(row.number);
    return;
  }
  const auto matches = [&](const TSheetTable::value_type& entry) {
    return entry.second.first == row.bookName && entry.second.second == row.sheetName;
  };
  if (const auto same = SheetTable.find(row.number); same != SheetTable.end() && matches(*same)) {
    JumpToSheet(row.number);
    return;
  }
  for (const auto& entry : SheetTable) {
    if (matches(entry)) {
      JumpToSheet(entry.first);
      return;
    }
  }
}

void TFormMain::NoteRecentPlace(const UnicodeString& book, const UnicodeString& sheet) {
  const TPlace place(book, sheet);
  std::erase(RecentPlaces, place);
  RecentPlaces.push_front(place);
  if (RecentPlaces.size() > kRecentKept) RecentPlaces.pop_back();
}

void TFormMain::WithdrawFinderHotKey() {
  if (!FinderHotKeyRegistered) return;
  HotKey->Unregister(kFinderHotKeyId);
  FinderHotKeyRegistered = false;
}

void TFormMain::UpdateFinderHotKey() {
  WithdrawFinderHotKey();
  if (!Config.GetFinderUseHotKey()) return;
  const THotKeyCode code =
      THotKeyCode::FromIndex(static_cast<unsigned>(Config.GetFinderHotKeyCodeIndex()));
  using namespace kestrine::native;
  const unsigned modifiers =
      (code.Ctrl ? kModControl : 0u) | (code.Alt ? kModAlt : 0u) | (code.Shift ? kModShift : 0u);
  if (HotKey->Register(kFinderHotKeyId, modifiers, code.GetVirtualKeyCode())) {
    FinderHotKeyRegistered = true;
    return;
  }
  WarnAndShowStatus(QString::fromUtf16(kHotKeyFailed));
}
