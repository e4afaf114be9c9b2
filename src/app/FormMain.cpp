#include "app/FormMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <memory>
#include <thread>

#include "app/Application.h"
#include "app/CursorHourGlass.h"
#include "app/FormFinder.h"
#include "app/Messages.h"
#include "app/PngIcon.h"
#include "app/QtText.h"
#include "app/TreeNodeItemRAII.h"
#include "app/native/Topmost.h"
#include "base/Exception.h"
#include "excel/Excel.h"
#include "platform/Platform.h"

using kestrine::app::ToQString;
using kestrine::app::ToUnicodeString;

using kestrine::app::kBooksLoaded;
using kestrine::app::kNoConnection;

namespace {

QString IconFile(const char* name) {
  return QStringLiteral(":/icons/") + QLatin1String(name);
}

struct ActionRow {
  QAction* TFormMain::*member;
  const char16_t* category;
  const char16_t* caption;
  const char16_t* shortHint;
  const char16_t* longHint;
  int image;
};

// The command table: category, caption, short hint (tool tip), long hint (status bar), image.
const ActionRow kActions[] = {
    {&TFormMain::ActionBookReload, u"", u"再読み込み(&R)", u"ブックの再読み込み",
     u"Excelに接続してブック情報を再読み込みします", 0},
    {&TFormMain::ActionConfigGeneral, u"", u"全般設定", u"全般設定", u"全般設定画面を表示します。",
     1},
    {&TFormMain::ActionHelpHelp, u"", u"ヘルプ(&H)", u"ヘルプ", u"ヘルプを表示します。", 2},
    {&TFormMain::ActionViewStayOnTop, u"", u"最前面に表示(&T)", u"最前面に表示",
     u"ウィンドウを常に最前面に表示します。", 3},
    {&TFormMain::ActionTrayIconShowForm, u"トレイアイコン", u"元のサイズに戻す(&R)", u"", u"", -1},
    {&TFormMain::ActionTrayIconSheetClick, u"トレイアイコン", u"シートを選択したとき", u"", u"",
     -1},
    {&TFormMain::ActionHelpVersion, u"", u"バージョン情報(&V)", u"バージョン情報",
     u"バージョン情報を表示します。", 4},
    {&TFormMain::ActionBookmarkInsert, u"ブックマーク", u"ブックマークの追加(&I)",
     u"ブックマークの追加", u"ブックマークを追加します。", 5},
    {&TFormMain::ActionBookmarkUpdate, u"ブックマーク", u"ブックマークの修正(&U)",
     u"ブックマークの修正", u"選択されているブックマークを修正します。", -1},
    {&TFormMain::ActionBookmarkDelete, u"ブックマーク", u"ブックマークの削除(&D)",
     u"ブックマークの削除", u"選択されているブックマークを削除します。", -1},
    {&TFormMain::ActionTrayIconBookmarkClick, u"トレイアイコン", u"ブックマークを選択したとき", u"",
     u"", -1},
};

constexpr int kBookmarkImage = 0, kBookImage = 1, kSheetImage = 2, kRootImage = 3;

// A greyed node keeps Qt's enabled flag: Qt never selects a disabled item, and the change and
// delete commands must reach the bookmark of a workbook that was renamed, moved or deleted.
constexpr int kGreyedRole = Qt::UserRole + 1;

class TGreyedNodeDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    // Drawn as a disabled item is: grey text, greyed icon.
    if (index.data(kGreyedRole).toBool()) option->state &= ~QStyle::State_Enabled;
  }
};

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  kestrine::app::InitResources();
  // Qt reads the system's fonts when text is first measured, the larger part of the start-up.
  // Another thread reads them while this one loads the settings and builds the widgets; the
  // first widget to measure text waits for the rest. Joined at the end of the constructor.
  const std::jthread fontReader([] {
    try {
      (void)QFontDatabase::families();
    } catch (...) {
      // The window's own first use of a font reads them again.
    }
  });

  // A missing or unreadable file never stops the start: whatever was read so far stays.
  try {
    Config.Load(TConfig::GetFileName());
  } catch (...) {
  }

  CreateComponents();
  SetUpBookmarkCommands();
  kestrine::app::SetHelpFile(
      kestrine::ChangeFileExt(kestrine::platform::ExecutablePath(), u".CHM"));
  HotKeyId = 0;
  SetUpTrayAndSettings();
  SetUpFinder();
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SessionEnding(); });

  // The first idle pass: once, when the window is up and the queue has run empty.
  idleConnection_ = connect(QAbstractEventDispatcher::instance(),
                            &QAbstractEventDispatcher::aboutToBlock, this, [this] {
                              if (!isVisible() || !windowHandle() || !windowHandle()->isExposed())
                                return;
                              try {
                                FirstIdle();
                              } catch (...) {
                                kestrine::app::ReportEscapedException(std::current_exception());
                              }
                              emit FirstIdleFinished();
                            });
}

TFormMain::~TFormMain() {
  // The tree outlives this part of the window; its removals must not reach handlers here.
  TreeViewBook->model()->disconnect(this);
}

void TFormMain::CreateComponents() {
  setWindowTitle(kestrine::app::kApplicationTitle);

  const char* toolImages[] = {"tool0-reload.png", "tool1-settings.png", "tool2-help.png",
                              "tool3-ontop.png",  "tool4-version.png",  "tool5-bookmark.png"};
  for (size_t i = 0; i < ImageList1.size(); ++i)
    ImageList1[i] = kestrine::app::PngIcon(IconFile(toolImages[i]));
  const char* nodeImages[] = {"node0-bookmark.png", "node1-book.png", "node2-sheet.png",
                              "node3-root.png"};
  for (size_t i = 0; i < ImageListExcelNode.size(); ++i)
    ImageListExcelNode[i] = kestrine::app::PngIcon(IconFile(nodeImages[i]));

  // Read when the platform or the tray first shows it; the window itself never draws it.
  const QIcon appIcon =
      kestrine::app::DeferredPngIcon({IconFile("app-16.png"), IconFile("app-32.png"),
                                      IconFile("app-48.png"), IconFile("app-256.png")});
  setWindowIcon(appIcon);

  QFont formFont(QStringLiteral("Tahoma"));
  formFont.setPixelSize(11);
  setFont(formFont);

  for (const ActionRow& row : kActions) {
    auto* action = new QAction(ToQString(row.caption), this);
    action->setToolTip(ToQString(row.shortHint));
    action->setStatusTip(ToQString(row.longHint));
    action->setProperty("category", ToQString(row.category));
    action->setProperty("imageIndex", row.image);
    if (row.image >= 0) action->setIcon(ImageList1[static_cast<size_t>(row.image)]);
    // An action without a handler stays disabled until its command connects one.
    action->setEnabled(false);
    this->*row.member = action;
  }
  ActionBookReload->setObjectName(QStringLiteral("ActionBookReload"));
  ActionConfigGeneral->setObjectName(QStringLiteral("ActionConfigGeneral"));
  ActionHelpHelp->setObjectName(QStringLiteral("ActionHelpHelp"));
  ActionViewStayOnTop->setObjectName(QStringLiteral("ActionViewStayOnTop"));
  ActionTrayIconShowForm->setObjectName(QStringLiteral("ActionTrayIconShowForm"));
  ActionTrayIconSheetClick->setObjectName(QStringLiteral("ActionTrayIconSheetClick"));
  ActionHelpVersion->setObjectName(QStringLiteral("ActionHelpVersion"));
  ActionBookmarkInsert->setObjectName(QStringLiteral("ActionBookmarkInsert"));
  ActionBookmarkUpdate->setObjectName(QStringLiteral("ActionBookmarkUpdate"));
  ActionBookmarkDelete->setObjectName(QStringLiteral("ActionBookmarkDelete"));
  ActionTrayIconBookmarkClick->setObjectName(QStringLiteral("ActionTrayIconBookmarkClick"));
  ActionViewStayOnTop->setCheckable(true);

  // Handlers of this window; the other commands connect theirs where they are built.
  auto bind = [this](QAction* action, void (TFormMain::*handler)()) {
    connect(action, &QAction::triggered, this,
            kestrine::app::Reported([this, handler] { (this->*handler)(); }));
    action->setEnabled(true);
  };
  bind(ActionBookReload, &TFormMain::ActionBookReloadExecute);
  bind(ActionTrayIconShowForm, &TFormMain::ActionTrayIconShowFormExecute);
  connect(ActionViewStayOnTop, &QAction::triggered, this, [this](bool checked) {
    // Qt checks a checkable action before its handler runs; here only the handler does.
    ActionViewStayOnTop->setChecked(!checked);
    ActionViewStayOnTopExecute();
  });
  ActionViewStayOnTop->setEnabled(true);

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setFixedHeight(29);
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  addToolBar(Qt::TopToolBarArea, ToolBar1);
  auto button = [this](QAction* action) {
    ToolBar1->addAction(action);
    return qobject_cast<QToolButton*>(ToolBar1->widgetForAction(action));
  };
  ToolButton1 = button(ActionBookReload);
  ToolButton2 = button(ActionViewStayOnTop);
  ToolButton5 = ToolBar1->addSeparator();
  ToolButton6 = button(ActionConfigGeneral);
  ToolButton3 = button(ActionBookmarkInsert);
  ToolButton4 = ToolBar1->addSeparator();
  ToolButton7 = button(ActionHelpVersion);
  ToolButton8 = button(ActionHelpHelp);

  TreeViewBook = new QTreeWidget(this);
  TreeViewBook->setObjectName(QStringLiteral("TreeViewBook"));
  TreeViewBook->setHeaderHidden(true);
  TreeViewBook->setColumnCount(1);
  TreeViewBook->setIndentation(19);
  TreeViewBook->setRootIsDecorated(false);
  TreeViewBook->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeViewBook->setSelectionBehavior(QAbstractItemView::SelectRows);
  TreeViewBook->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeViewBook->setExpandsOnDoubleClick(true);
  TreeViewBook->setIconSize(QSize(16, 16));
  TreeViewBook->setUniformRowHeights(true);
  TreeViewBook->setContextMenuPolicy(Qt::CustomContextMenu);
  TreeViewBook->setItemDelegate(new TGreyedNodeDelegate(TreeViewBook));
  TreeViewBook->viewport()->installEventFilter(this);
  setCentralWidget(TreeViewBook);

  auto* root = new QTreeWidgetItem(TreeViewBook, QStringList(ToQString(u"ブックマーク")));
  root->setIcon(0, ImageListExcelNode[kRootImage]);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(19);
  setStatusBar(StatusBar1);

  PopupMenuTreeView = new QMenu(this);
  PopupMenuTreeView->setObjectName(QStringLiteral("PopupMenuTreeView"));
  U1 = ActionBookmarkInsert;
  U2 = ActionBookmarkUpdate;
  D1 = ActionBookmarkDelete;
  PopupMenuTreeView->addAction(U1);
  PopupMenuTreeView->addAction(U2);
  PopupMenuTreeView->addAction(D1);
  connect(TreeViewBook, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    // A right click selects the node under the pointer before the menu opens.
    if (QTreeWidgetItem* item = TreeViewBook->itemAt(pos)) TreeViewBook->setCurrentItem(item);
    PopupMenuTreeView->popup(TreeViewBook->viewport()->mapToGlobal(pos));
  });

  PopupMenuTrayIcon = new QMenu(this);
  PopupMenuTrayIcon->setObjectName(QStringLiteral("PopupMenuTrayIcon"));
  PopupMenuTrayIconBookmark = PopupMenuTrayIcon->addMenu(ToQString(u"ブックマーク(&B)"));
  PopupMenuTrayIconBookmark->setObjectName(QStringLiteral("PopupMenuTrayIconBookmark"));
  PopupMenuTrayIconBook = PopupMenuTrayIcon->addMenu(ToQString(u"ブック(&E)"));
  PopupMenuTrayIconBook->setObjectName(QStringLiteral("PopupMenuTrayIconBook"));
  N1 = ActionBookReload;
  // The tray menu has no images; the tool bar button keeps the action's.
  N1->setIconVisibleInMenu(false);
  PopupMenuTrayIcon->addAction(N1);

  trayWatch_ = new QTimer(this);
  trayWatch_->setInterval(1000);
  connect(trayWatch_, &QTimer::timeout, this, &TFormMain::TrayWatchTimer);

  TrayIcon1 = new QSystemTrayIcon(appIcon, this);
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setToolTip(windowTitle().left(127));
  TrayIcon1->setContextMenu(PopupMenuTrayIcon);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) ActionTrayIconShowForm->trigger();
          });

  // Client area at its design size, centred on the screen.
  resize(228, 286);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

QMenu* TFormMain::createPopupMenu() {
  return nullptr;
}  // no tool bar toggle menu

// ---------------------------------------------------------------------------------------------
// First idle pass

void TFormMain::FirstIdle() {
  disconnect(idleConnection_);
  idleConnection_ = {};

  ApplyStartupPlacement();

  ActionViewStayOnTop->setChecked(!Config.ShowStayOnTop);
  ActionViewStayOnTopExecute();

  UpdateHotKey();
  UpdateFinderHotKey();

  RebuildBookmarkNodes();
  ActionBookReloadExecute();
}

void TFormMain::ApplyStartupPlacement() {
  if (!Config.WindowPositionRestore) return;
  const auto& p = Config.WindowPosition;
  placement_.Restore(QRect(p.Left, p.Top, p.Width, p.Height),
                     static_cast<kestrine::app::TSavedWindowState>(Config.GetWindowState()));
}

// ---------------------------------------------------------------------------------------------
// Placement, stay-on-top, tray

void TFormMain::ActionViewStayOnTopExecute() {
  SetStayOnTop(!ActionViewStayOnTop->isChecked());
}

void TFormMain::SetStayOnTop(bool on) {
  ActionViewStayOnTop->setChecked(on);
  kestrine::native::SetTopmost(this, on);
}

TStayOnTopPause::TStayOnTopPause(TFormMain& form)
    : form_(form), wasOn_(form.ActionViewStayOnTop->isChecked()) {
  if (wasOn_) form_.SetStayOnTop(false);
}

TStayOnTopPause::~TStayOnTopPause() {
  if (wasOn_) form_.SetStayOnTop(true);
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFormMain::FormShow() {
  if (!Config.InTaskTray) return;
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  raise();
  activateWindow();
  TrayIcon1->hide();
  PopupMenuTrayIconBook->clear();
}

void TFormMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const auto old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
  placement_.StateChanged(old);
  if ((windowState() & Qt::WindowMinimized) && !(old & Qt::WindowMinimized)) {
    // Runs once the minimising has been handled, as the application's own event would.
    QMetaObject::invokeMethod(this, &TFormMain::ApplicationEvents1Minimize, Qt::QueuedConnection);
  }
}

void TFormMain::ApplicationEvents1Minimize() {
  if (!Config.InTaskTray || !(windowState() & Qt::WindowMinimized)) return;
  // Without a notification area a hidden window has no way back: it stays on the taskbar.
  // Asked at each minimise, so a tray that appears later is used from then on.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  TrayIcon1->show();
  hide();
  trayWatch_->start();
}

void TFormMain::TrayWatchTimer() {
  if (isVisible() || !TrayIcon1->isVisible()) {
    trayWatch_->stop();
    return;
  }
  // The notification area went away with the window in it: the window comes back.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) ActionTrayIconShowFormExecute();
}

void TFormMain::ActionTrayIconShowFormExecute() {
  // Leaving the minimised state before showing maps the window normally, not iconified.
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

QRect TFormMain::NormalFrameGeometry() const {
  return placement_.NormalFrameGeometry();
}

void TFormMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  placement_.Moved();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  placement_.Resized();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
  // The program ends here and nowhere else: a message box closed while this window is hidden
  // in the tray is the last visible window, and must not end it.
  if (event->isAccepted()) QCoreApplication::quit();
}

void TFormMain::FormClose() {
  const Qt::WindowStates state = windowState();
  // The normal bounds, even when the window is maximised or minimised.
  const QRect frame = NormalFrameGeometry();
  setWindowState(Qt::WindowNoState);
  hide();
  StoreWindowAndSave(state, frame);
}

void TFormMain::SessionEnding() {
  StoreWindowAndSave(windowState(), NormalFrameGeometry());
}

void TFormMain::StoreWindowAndSave(Qt::WindowStates state, const QRect& frame) {
  Config.SetWindowState(static_cast<int>(kestrine::app::SavedWindowStateOf(state)));
  Config.WindowPosition.Left = frame.x();
  Config.WindowPosition.Top = frame.y();
  Config.WindowPosition.Width = frame.width();
  Config.WindowPosition.Height = frame.height();
  Config.ShowStayOnTop = ActionViewStayOnTop->isChecked();
  try {
    Config.Save(TConfig::GetFileName());
  } catch (const Exception& e) {
    // A locked or read-only file: the user hears of it, and the program still ends.
    kestrine::app::ShowWarningBox(this, ToQString(e.Message()));
  }
}

// ---------------------------------------------------------------------------------------------
// Book tree

QTreeWidgetItem* TFormMain::BookmarkRoot() const {
  return TreeViewBook->topLevelItem(0);
}

QString TFormMain::GetStatusText() const {
  return StatusBar1->currentMessage();
}

void TFormMain::SetStatusText(const QString& text) {
  StatusBar1->showMessage(text);
}

void TFormMain::WarnAndShowStatus(const QString& text) {
  kestrine::app::ShowWarningBox(this, text);
  SetStatusText(text);
}

void TFormMain::ActionBookReloadExecute() {
  TCursorHourGlass hourGlass;
  const std::unique_ptr<TExcel> excel = TExcel::Connect();
  if (!excel) {
    WarnAndShowStatus(ToQString(kNoConnection));
    return;
  }
  try {
    TTreeNodeItemRAII update(TreeViewBook);
    // Book nodes are the top-level nodes after the root; their sheet nodes go with them.
    for (int i = TreeViewBook->topLevelItemCount() - 1; i >= 1; --i) {
      delete TreeViewBook->takeTopLevelItem(i);
    }
    SheetTable.clear();
    NodeTable.clear();

    Excel::TWorkbooks workbooks = excel->Workbooks();
    const int bookCount = workbooks.Count();
    int number = 0;
    for (int b = 1; b <= bookCount; ++b) {
      Excel::TWorkbook workbook = workbooks.Item(b);
      const UnicodeString bookName = workbook.Name();
      auto* bookNode = new QTreeWidgetItem(TreeViewBook, QStringList(ToQString(bookName)));
      bookNode->setIcon(0, ImageListExcelNode[kBookImage]);
      Excel::ForEachVisibleSheet(workbook, [&](const UnicodeString& sheetName) {
        auto* sheetNode = new QTreeWidgetItem(bookNode, QStringList(ToQString(sheetName)));
        sheetNode->setIcon(0, ImageListExcelNode[kSheetImage]);
        ++number;
        SheetTable.emplace(number, std::make_pair(bookName, sheetName));
        NodeTable.emplace(sheetNode, number);
      });
    }
    TreeViewBook->expandAll();
    SetStatusText(ToQString(kBooksLoaded));
    UpdateBookmarkNodesEnabled();
  } catch (const Exception& e) {
    kestrine::app::ShowWarningBox(this, ToQString(e.Message()));
  }
}

void TFormMain::RebuildBookmarkNodes() {
  QTreeWidgetItem* root = BookmarkRoot();
  qDeleteAll(root->takeChildren());
  // Added in one go: the view lays out once, not once per bookmark.
  QList<QTreeWidgetItem*> nodes;
  nodes.reserve(static_cast<qsizetype>(Config.Bookmarks.size()));
  for (const auto& bookmark : Config.Bookmarks) {
    auto* node = new QTreeWidgetItem(QStringList(ToQString(bookmark->GetDisplayText())));
    node->setIcon(0, ImageListExcelNode[kBookmarkImage]);
    // Set before the node is in the tree, where each change would be reported to the view.
    SetNodeEnabled(node, IsBookListed(bookmark->BookName));
    nodes.append(node);
  }
  root->addChildren(nodes);
  root->setExpanded(true);
  TreeViewBook->expandRecursively(TreeViewBook->indexFromItem(root));
}

void TFormMain::UpdateBookmarkNodesEnabled() {
  QTreeWidgetItem* root = BookmarkRoot();
  const int count = std::min(root->childCount(), static_cast<int>(Config.Bookmarks.size()));
  for (int i = 0; i < count; ++i) {
    SetNodeEnabled(root->child(i),
                   IsBookListed(Config.Bookmarks[static_cast<size_t>(i)]->BookName));
  }
}

bool TFormMain::IsNodeEnabled(const QTreeWidgetItem* node) {
  return !node->data(0, kGreyedRole).toBool();
}

void TFormMain::SetNodeEnabled(QTreeWidgetItem* node, bool enabled) {
  if (IsNodeEnabled(node) != enabled) node->setData(0, kGreyedRole, !enabled);
}

bool TFormMain::IsBookListed(const UnicodeString& book) const {
  const QString name = ToQString(book);
  for (int i = 1; i < TreeViewBook->topLevelItemCount(); ++i) {
    if (TreeViewBook->topLevelItem(i)->text(0) == name) return true;
  }
  return false;
}

bool TFormMain::IsSheetListed(const UnicodeString& book, const UnicodeString& sheet) const {
  const QString bookName = ToQString(book), sheetName = ToQString(sheet);
  for (int i = 1; i < TreeViewBook->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* bookNode = TreeViewBook->topLevelItem(i);
    if (bookNode->text(0) != bookName) continue;
    // Only the first book node of that name counts.
    for (int s = 0; s < bookNode->childCount(); ++s) {
      if (bookNode->child(s)->text(0) == sheetName) return true;
    }
    return false;
  }
  return false;
}

QTreeWidgetItem* TFormMain::GetSelectedBookmarkNode() const {
  QTreeWidgetItem* node = TreeViewBook->currentItem();
  if (node && node->parent() && node->parent() == BookmarkRoot()) return node;
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Jumps

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  // A greyed bookmark node is selected like any other; its jump finds no listed sheet.
  if (watched == TreeViewBook->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    TreeViewBookDblClick();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormMain::TreeViewBookDblClick() {
  if (QTreeWidgetItem* bookmarkNode = GetSelectedBookmarkNode()) {
    JumpToBookmark(BookmarkRoot()->indexOfChild(bookmarkNode));
    return;
  }
  const QTreeWidgetItem* node = TreeViewBook->currentItem();
  if (!node) return;
  const auto found = NodeTable.find(node);
  if (found == NodeTable.end()) return;
  JumpToSheet(found->second);
}

void TFormMain::JumpToSheet(int number) {
  const auto& [book, sheet] = SheetTable.at(number);
  ActivateInExcel(book, sheet, -1, -1);
}

void TFormMain::JumpToBookmark(int index) {
  const TBookmarkItem& bookmark = *Config.Bookmarks.at(static_cast<size_t>(index));
  if (!IsSheetListed(bookmark.BookName, bookmark.SheetName)) return;
  ActivateInExcel(bookmark.BookName, bookmark.SheetName, bookmark.Column + 1, bookmark.Row + 1);
}

void TFormMain::ActivateInExcel(const UnicodeString& book, const UnicodeString& sheet, int column,
                                int row) {
  QString message;
  try {
    TCursorHourGlass hourGlass;
    const std::unique_ptr<TExcel> excel = TExcel::Connect();
    if (!excel) throw Exception(kNoConnection);
    excel->ActivateSheet(book, sheet, column, row);
    NoteRecentPlace(book, sheet);
    return;
  } catch (const Exception& e) {
    // The cursor and the connection are gone by now: the box shows with the normal cursor.
    message = ToQString(e.Message());
  }
  WarnAndShowStatus(message);
}
