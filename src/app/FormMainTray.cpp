// The main window's tray menu, global hotkey, general settings and help commands.
#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTreeWidget>
#include <QVariant>
#include <cstdlib>
#include <exception>
#include <map>
#include <memory>
#include <optional>

#include "app/Application.h"
#include "app/FormAboutBox.h"
#include "app/FormMain.h"
#include "app/Messages.h"
#include "app/QtText.h"
#include "app/native/GlobalHotKey.h"
#include "app/native/Help.h"
#include "hotkey/HotKeyCode.h"
#include "settings/FormConfigGeneral.h"

using kestrine::app::ToQString;

using kestrine::app::kHotKeyFailed;

namespace {

const char16_t kHotKeyRegistered[] = u"ホットキーを登録しました。";
const char16_t kHotKeyWithdrawn[] = u"ホットキーを解除しました。";

// The property that carries an entry's number; only entries made by the rebuild have it.
const char kTag[] = "Tag";

// "&1." to "&9."; from the tenth entry on the name stands alone.
QString NumberPrefix(int n) {
  return n <= 9 ? QStringLiteral("&%1.").arg(n) : QString();
}

// The last opening's entries go once the event loop is back rather than at once: the entry
// whose click is running may reach here again (its jump can show a warning box, and the hotkey
// reopens the menu from inside that box), and it must outlive its own signal.
void DropEntries(QMenu* menu) {
  const QList<QAction*> entries = menu->actions();
  for (QAction* entry : entries) {
    menu->removeAction(entry);
    if (QMenu* submenu = entry->menu()) {
      submenu->deleteLater();
    } else if (entry->parent() == menu) {
      entry->deleteLater();
    }
  }
  // Submenus that a plain clear() took out of the menu without deleting them.
  const QList<QMenu*> detached = menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
  for (QMenu* submenu : detached) submenu->deleteLater();
}

// The tag of a rebuilt entry; nothing for any other sender.
std::optional<int> TagOf(QObject* sender) {
  const auto* entry = qobject_cast<QAction*>(sender);
  if (!entry) return std::nullopt;
  const QVariant tag = entry->property(kTag);
  if (!tag.isValid()) return std::nullopt;
  return tag.toInt();
}

}  // namespace

void TFormMain::SetUpTrayAndSettings() {
  HotKey = new kestrine::native::GlobalHotKey(this, this);
  connect(HotKey, &kestrine::native::GlobalHotKey::Activated, this, &TFormMain::WMHotKey);
  connect(PopupMenuTrayIcon, &QMenu::aboutToShow, this, &TFormMain::PopupMenuTrayIconPopup);

  auto bind = [this](QAction* action, auto handler) {
    connect(action, &QAction::triggered, this, kestrine::app::Reported(handler));
    action->setEnabled(true);
  };
  bind(ActionConfigGeneral, [this] { ActionConfigGeneralExecute(); });
  bind(ActionHelpVersion, [this] { ActionHelpVersionExecute(); });
  bind(ActionHelpHelp, [this] { ActionHelpHelpExecute(); });
  // Triggered on their own the actions are no menu entry, and their handlers ignore them.
  bind(ActionTrayIconSheetClick,
       [this] { ActionTrayIconSheetClickExecute(ActionTrayIconSheetClick); });
  bind(ActionTrayIconBookmarkClick,
       [this] { ActionTrayIconBookmarkClickExecute(ActionTrayIconBookmarkClick); });
}

// ---------------------------------------------------------------------------------------------
// Tray menu

void TFormMain::PopupMenuTrayIconPopup() {
  DropEntries(PopupMenuTrayIconBookmark);
  for (size_t i = 0; i < Config.Bookmarks.size(); ++i) {
    const TBookmarkItem& bookmark = *Config.Bookmarks[i];
    if (!IsBookListed(bookmark.BookName) || !IsSheetListed(bookmark.BookName, bookmark.SheetName))
      continue;
    auto* entry = new QAction(ToQString(bookmark.GetDisplayText()), PopupMenuTrayIconBookmark);
    entry->setProperty(kTag, static_cast<int>(i));
    connect(entry, &QAction::triggered, this,
            kestrine::app::Reported([this, entry] { ActionTrayIconBookmarkClickExecute(entry); }));
    PopupMenuTrayIconBookmark->addAction(entry);
  }

  DropEntries(PopupMenuTrayIconBook);
  int books = 0, sheets = 0;
  std::map<UnicodeString, QMenu*> bookEntries;
  for (const auto& [number, names] : SheetTable) {
    const auto& [book, sheet] = names;
    QMenu*& bookEntry = bookEntries[book];
    if (!bookEntry) {
      sheets = 0;
      bookEntry = PopupMenuTrayIconBook->addMenu(NumberPrefix(++books) + ToQString(book));
      bookEntry->menuAction()->setProperty(kTag, 0);
    }
    auto* entry = new QAction(NumberPrefix(++sheets) + ToQString(sheet), bookEntry);
    entry->setProperty(kTag, number);
    connect(entry, &QAction::triggered, this,
            kestrine::app::Reported([this, entry] { ActionTrayIconSheetClickExecute(entry); }));
    bookEntry->addAction(entry);
  }
}

void TFormMain::ActionTrayIconSheetClickExecute(QObject* Sender) {
  const std::optional<int> number = TagOf(Sender);
  if (!number || !SheetTable.contains(*number)) return;
  JumpToSheet(*number);
}

void TFormMain::ActionTrayIconBookmarkClickExecute(QObject* Sender) {
  const std::optional<int> tag = TagOf(Sender);
  if (!tag) return;
  // Unsigned, so a negative tag is out of range as well.
  const auto index = static_cast<unsigned>(*tag);
  if (index >= Config.Bookmarks.size()) return;
  JumpToBookmark(static_cast<int>(index));
}

// ---------------------------------------------------------------------------------------------
// Global hotkey

void TFormMain::UpdateHotKey() {
  if (Config.UseHotKey) {
    if (HotKeyId > 0) UnregisterHotKeyCode();
    RegisterHotKeyCode();
  } else if (HotKeyId > 0) {
    UnregisterHotKeyCode();
  }
}

void TFormMain::RegisterHotKeyCode() {
  const THotKeyCode code =
      THotKeyCode::FromIndex(static_cast<unsigned>(Config.GetHotKeyCodeIndex()));
  HotKeyId = std::rand() % 100 + 1;
  using namespace kestrine::native;
  const unsigned modifiers =
      (code.Ctrl ? kModControl : 0u) | (code.Alt ? kModAlt : 0u) | (code.Shift ? kModShift : 0u);
  if (HotKey->Register(HotKeyId, modifiers, code.GetVirtualKeyCode())) {
    SetStatusText(ToQString(kHotKeyRegistered));
    return;
  }
  HotKeyId = 0;
  WarnAndShowStatus(ToQString(kHotKeyFailed));
}

void TFormMain::UnregisterHotKeyCode() {
  HotKey->Unregister(HotKeyId);
  HotKeyId = 0;
  SetStatusText(ToQString(kHotKeyWithdrawn));
}

void TFormMain::WMHotKey(int id) {
  // 0 is "nothing registered", never an identifier.
  if (id <= 0 || id != HotKeyId) return;
  if (TreeViewBook->topLevelItemCount() == 0) return;
  // The window stays as it is: only the menu comes up, and aboutToShow rebuilds it first.
  PopupMenuTrayIcon->popup(QCursor::pos());
}

// ---------------------------------------------------------------------------------------------
// General settings, version box, help

void TFormMain::ActionConfigGeneralExecute() {
  {
    const TStayOnTopPause pause(*this);
    TFormConfigGeneral form(this);
    form.OnHelp = [this](int topic) { ShowHelp(topic); };
    form.LoadFromConfig(Config);
    if (form.exec() != QDialog::Accepted) return;
    form.StoreToConfig(Config);
  }
  // Two hotkeys that swap combinations: neither may find the other still holding its new one.
  WithdrawFinderHotKey();
  UpdateHotKey();
  UpdateFinderHotKey();
}

void TFormMain::ActionHelpVersionExecute() {
  std::exception_ptr error;
  {
    const TStayOnTopPause pause(*this);
    std::unique_ptr<TFormAboutBox> box;
    try {
      box = std::make_unique<TFormAboutBox>(this);
    } catch (...) {
      error = std::current_exception();
    }
    if (box) box->exec();
  }
  // No version data: the window gets its place on top back before the message shows.
  if (error) kestrine::app::ReportEscapedException(error);
}

void TFormMain::ActionHelpHelpExecute() {
  ShowHelp(0);
}

void TFormMain::ShowHelp(int topic) {
  kestrine::native::ShowHelp(this, kestrine::app::GetHelpFile(), topic);
}
