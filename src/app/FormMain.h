#pragma once
// The main window: tool bar, book tree, status bar, the commands and the tray icon.
#include <QMainWindow>
#include <QMetaObject>
#include <QRect>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "app/WindowPlacement.h"
#include "base/UnicodeString.h"
#include "settings/Config.h"

class QAction;
class QMenu;
class QStatusBar;
class TExcel;
class TFormFinder;
struct TFinderRow;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrine::native {
class GlobalHotKey;
}

class TFormMain : public QMainWindow {
  Q_OBJECT

  // --- the window, its components and its events ---
 public:
  // Sheet number -> (workbook name, worksheet name), numbers 1..N in tree order.
  using TSheetTable = std::map<int, std::pair<const UnicodeString, const UnicodeString>>;
  // Sheet node -> its sheet number; only sheet nodes are keys.
  using TNodeTable = std::map<const QTreeWidgetItem*, int>;

  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // --- components ---
  QToolBar* ToolBar1;
  QTreeWidget* TreeViewBook;
  QStatusBar* StatusBar1;
  QSystemTrayIcon* TrayIcon1;

  QAction* ActionBookReload;
  QAction* ActionConfigGeneral;
  QAction* ActionHelpHelp;
  QAction* ActionViewStayOnTop;
  QAction* ActionTrayIconShowForm;
  QAction* ActionTrayIconSheetClick;
  QAction* ActionHelpVersion;
  QAction* ActionBookmarkInsert;
  QAction* ActionBookmarkUpdate;
  QAction* ActionBookmarkDelete;
  QAction* ActionTrayIconBookmarkClick;

  // Tool bar, left to right; ToolButton5 and ToolButton4 are the separators.
  QToolButton* ToolButton1;
  QToolButton* ToolButton2;
  QAction* ToolButton5;
  QToolButton* ToolButton6;
  QToolButton* ToolButton3;
  QAction* ToolButton4;
  QToolButton* ToolButton7;
  QToolButton* ToolButton8;

  QMenu* PopupMenuTrayIcon;
  QMenu* PopupMenuTrayIconBookmark;  // submenu "ブックマーク(&B)"
  QMenu* PopupMenuTrayIconBook;      // submenu "ブック(&E)"
  QAction* N1;                       // the reload entry
  QMenu* PopupMenuTreeView;
  QAction* U1;
  QAction* U2;
  QAction* D1;

  // Images by index: the actions' (6) and the tree nodes' (4).
  std::array<QIcon, 6> ImageList1;
  std::array<QIcon, 4> ImageListExcelNode;

  void FormShow();
  void FormClose();

  // State, for the commands of the window and for tests.
  TConfig& GetConfig() { return Config; }
  QString GetStatusText() const;
  void SetStatusText(const QString& text);
  bool FirstIdleDone() const { return !idleConnection_; }

 signals:
  void FirstIdleFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  QMenu* createPopupMenu() override;

 private:
  void CreateComponents();
  void FirstIdle();
  void WarnAndShowStatus(const QString& text);
  // The session ends (log-off, shut-down) with the program still running, maybe hidden in
  // the tray: the file gets what closing the window would have written.
  void SessionEnding();
  // The window's place, state and stay-on-top into Config, then Config into the file.
  void StoreWindowAndSave(Qt::WindowStates state, const QRect& frame);

  TConfig Config;
  QMetaObject::Connection idleConnection_;

  // --- the book tree: reload and jumps ---
 public:
  void ActionBookReloadExecute();
  void TreeViewBookDblClick();
  void JumpToSheet(int number);
  void JumpToBookmark(int index);
  void ActivateInExcel(const UnicodeString& book, const UnicodeString& sheet, int column, int row);
  const TSheetTable& GetSheetTable() const { return SheetTable; }
  const TNodeTable& GetNodeTable() const { return NodeTable; }

 private:
  TSheetTable SheetTable;
  TNodeTable NodeTable;

  // --- placement, stay-on-top and the window's stay in the tray ---
 public:
  // Flips the stay-on-top state; SetStayOnTop underneath sets it.
  void ActionViewStayOnTopExecute();
  void SetStayOnTop(bool on);
  void ActionTrayIconShowFormExecute();
  void ApplicationEvents1Minimize();
  // The window's bounds in its normal state, frame included.
  QRect NormalFrameGeometry() const;

 private:
  void ApplyStartupPlacement();
  void TrayWatchTimer();

  kestrine::app::TWindowPlacement placement_{*this};
  // Runs while the window is hidden in the tray, to bring it back should the tray go away.
  QTimer* trayWatch_ = nullptr;

  // --- bookmarks ---
 public:
  // Bookmark nodes under the root, one per bookmark in list order.
  void RebuildBookmarkNodes();
  void UpdateBookmarkNodesEnabled();
  // A bookmark node of a workbook that is not listed is greyed, yet stays selectable.
  static bool IsNodeEnabled(const QTreeWidgetItem* node);
  static void SetNodeEnabled(QTreeWidgetItem* node, bool enabled);
  bool IsBookListed(const UnicodeString& book) const;
  bool IsSheetListed(const UnicodeString& book, const UnicodeString& sheet) const;
  QTreeWidgetItem* GetSelectedBookmarkNode() const;
  QTreeWidgetItem* BookmarkRoot() const;

  void ActionBookmarkInsertExecute();
  void ActionBookmarkUpdateExecute();
  void ActionBookmarkDeleteExecute();
  void PopupMenuTreeViewPopup();
  // pos is in the tree's viewport.
  void TreeViewBookMouseMove(const QPoint& pos);
  // An unnamed bookmark of the active cell; automation failures throw Exception.
  std::unique_ptr<TBookmarkItem> CreateBookmarkFromActiveCell(TExcel* connection);
  const QTreeWidgetItem* GetHintNode() const { return HintNode; }

 private:
  void SetUpBookmarkCommands();
  void SaveConfigAndRebuildBookmarkNodes();
  // The add and change commands: the dialog preset by `shown`, its item handed to `store`.
  void EditBookmarkInDialog(const std::function<const TBookmarkItem*(TExcel*)>& shown,
                            const std::function<void(std::unique_ptr<TBookmarkItem>)>& store);

  QTreeWidgetItem* HintNode = nullptr;  // the node whose hint shows

  // --- tray menu, hotkey, settings and help ---
 public:
  // Rebuilds both submenus of the tray menu from the tables and the bookmark list.
  void PopupMenuTrayIconPopup();
  // Click events of the entries the rebuild makes; the entry's "Tag" is resolved at click time.
  void ActionTrayIconSheetClickExecute(QObject* Sender);
  void ActionTrayIconBookmarkClickExecute(QObject* Sender);
  void UpdateHotKey();
  void RegisterHotKeyCode();
  void UnregisterHotKeyCode();
  void WMHotKey(int id);
  int GetHotKeyId() const { return HotKeyId; }
  void ActionConfigGeneralExecute();
  void ActionHelpVersionExecute();
  void ActionHelpHelpExecute();
  // Topic 0 opens the help file at its default topic.
  void ShowHelp(int topic);

 private:
  void SetUpTrayAndSettings();

  int HotKeyId = 0;
  kestrine::native::GlobalHotKey* HotKey = nullptr;

  // --- sheet finder ---
 public:
  using TPlace = std::pair<UnicodeString, UnicodeString>;  // workbook name, worksheet name
  QAction* ActionFinder;                                   // Ctrl+F
  // Fills the finder from the tables and the bookmark list and brings it up in front.
  void ShowFinder();
  // The finder's own hotkey, brought in line with its two settings.
  void UpdateFinderHotKey();
  // Lets go of the finder's combination, so the other hotkey can take it over.
  void WithdrawFinderHotKey();
  // Nothing until the finder first opens.
  TFormFinder* GetFinder() const { return Finder.get(); }
  // The sheets jumped to, newest first.
  const std::deque<TPlace>& GetRecentPlaces() const { return RecentPlaces; }

 private:
  void SetUpFinder();
  void FinderChoose(const TFinderRow& row);
  void NoteRecentPlace(const UnicodeString& book, const UnicodeString& sheet);
  std::unique_ptr<TFormFinder> Finder;  // no parent: it comes up over other programs' windows
  std::deque<TPlace> RecentPlaces;
  bool FinderHotKeyRegistered = false;
};

// Stay-on-top is off while a modal dialog of the window is open, since a topmost owner would
// cover it, and back on afterwards whatever way the command ends.
class TStayOnTopPause {
 public:
  explicit TStayOnTopPause(TFormMain& form);
  ~TStayOnTopPause();
  TStayOnTopPause(const TStayOnTopPause&) = delete;
  TStayOnTopPause& operator=(const TStayOnTopPause&) = delete;

 private:
  TFormMain& form_;
  const bool wasOn_;
};
