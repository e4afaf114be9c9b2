// The bookmark commands of the main window: add, change, delete, the tree's context menu and
// the hint of the tree's nodes.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>

#include "app/Application.h"
#include "app/FormMain.h"
#include "app/Messages.h"
#include "app/QtText.h"
#include "base/Exception.h"
#include "base/UnicodeString.h"
#include "bookmarks/BookmarkItem.h"
#include "bookmarks/CsvUtility.h"
#include "bookmarks/FormBookmarkItemEdit.h"
#include "excel/Excel.h"

using kestrine::app::ToQString;

using kestrine::app::kNoConnection;

namespace {

// Pointer moves over the tree's viewport; the tree reports none of its own.
class TTreeMouseMoveFilter : public QObject {
 public:
  TTreeMouseMoveFilter(TFormMain* form, QObject* parent) : QObject(parent), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) {
      form_->TreeViewBookMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TFormMain* form_;
};

// Caption "確認", a question icon and the buttons はい, いいえ and キャンセル; true for はい only.
bool Confirm(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), text, QMessageBox::NoButton,
                  parent);
  QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == yes;
}

// Whether the point lies on the node's icon or label, not on the empty part of its row.
bool OnItemProper(const QTreeWidget* tree, QTreeWidgetItem* node, const QPoint& pos) {
  QStyleOptionViewItem option;
  option.initFrom(tree->viewport());
  option.rect = tree->visualItemRect(node);
  option.font = tree->font();
  option.fontMetrics = QFontMetrics(option.font);
  option.text = node->text(0);
  option.icon = node->icon(0);
  option.decorationSize = tree->iconSize();
  option.decorationPosition = QStyleOptionViewItem::Left;
  option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option.features = QStyleOptionViewItem::HasDisplay;
  if (!option.icon.isNull()) option.features |= QStyleOptionViewItem::HasDecoration;
  const QStyle* style = tree->style();
  const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, tree);
  QRect label = style->subElementRect(QStyle::SE_ItemViewItemText, &option, tree);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
  label.setWidth(
      std::min(label.width(), option.fontMetrics.horizontalAdvance(option.text) + 2 * margin));
  return (!option.icon.isNull() && icon.contains(pos)) || label.contains(pos);
}

}  // namespace

void TFormMain::SetUpBookmarkCommands() {
  using kestrine::app::Reported;
  connect(ActionBookmarkInsert, &QAction::triggered, this,
          Reported([this] { ActionBookmarkInsertExecute(); }));
  connect(ActionBookmarkUpdate, &QAction::triggered, this,
          Reported([this] { ActionBookmarkUpdateExecute(); }));
  connect(ActionBookmarkDelete, &QAction::triggered, this,
          Reported([this] { ActionBookmarkDeleteExecute(); }));
  ActionBookmarkInsert->setEnabled(true);
  // Update and delete are enabled by the context menu as it opens.
  connect(PopupMenuTreeView, &QMenu::aboutToShow, this, &TFormMain::PopupMenuTreeViewPopup);

  TreeViewBook->viewport()->setMouseTracking(true);
  TreeViewBook->viewport()->installEventFilter(new TTreeMouseMoveFilter(this, this));
  // A node made after another was deleted may get its address; it must get its own hint.
  QAbstractItemModel* model = TreeViewBook->model();
  connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { HintNode = nullptr; });
  connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { HintNode = nullptr; });
}

std::unique_ptr<TBookmarkItem> TFormMain::CreateBookmarkFromActiveCell(TExcel* connection) {
  const UnicodeString book = connection->ActiveWorkbook().Name();
  const UnicodeString sheet = connection->ActiveSheet().Name();
  const int column = connection->ActiveCell().Column();
  const int row = connection->ActiveCell().Row();
  return std::make_unique<TBookmarkItem>(UnicodeString(), book, sheet, column - 1, row - 1);
}

void TFormMain::SaveConfigAndRebuildBookmarkNodes() {
  // The nodes follow the list even when saving throws: hints and jumps find a bookmark by
  // its node's index.
  try {
    Config.Save(TConfig::GetFileName());
  } catch (...) {
    RebuildBookmarkNodes();
    throw;
  }
  RebuildBookmarkNodes();
}

void TFormMain::EditBookmarkInDialog(
    const std::function<const TBookmarkItem*(TExcel*)>& shown,
    const std::function<void(std::unique_ptr<TBookmarkItem>)>& store) {
  const std::unique_ptr<TExcel> excel = TExcel::Connect();
  if (!excel) {
    WarnAndShowStatus(ToQString(kNoConnection));
    return;
  }
  const TStayOnTopPause pause(*this);
  TFormBookmarkItemEdit form(this);
  form.OnHelp = [this](int topic) { ShowHelp(topic); };
  try {
    form.LoadBooks(excel.get());
    form.SetBookmarkItem(shown(excel.get()));
    if (form.exec() != QDialog::Accepted) return;
    store(form.CreateBookmarkItem());
    SaveConfigAndRebuildBookmarkNodes();
  } catch (const Exception& e) {
    kestrine::app::ShowWarningBox(this, ToQString(e.Message()));
  }
}

void TFormMain::ActionBookmarkInsertExecute() {
  std::unique_ptr<TBookmarkItem> fromActiveCell;
  EditBookmarkInDialog(
      [&](TExcel* excel) {
        fromActiveCell = CreateBookmarkFromActiveCell(excel);
        return fromActiveCell.get();
      },
      [this](std::unique_ptr<TBookmarkItem> item) { Config.Bookmarks.push_back(std::move(item)); });
}

void TFormMain::ActionBookmarkUpdateExecute() {
  QTreeWidgetItem* node = GetSelectedBookmarkNode();
  if (!node) return;
  // Only the bookmark commands change the list or its nodes, and the dialog is modal: the
  // index stays valid while it is open.
  const auto index = static_cast<size_t>(BookmarkRoot()->indexOfChild(node));
  EditBookmarkInDialog(
      [&](TExcel*) { return Config.Bookmarks.at(index).get(); },
      [&](std::unique_ptr<TBookmarkItem> item) { Config.Bookmarks.at(index) = std::move(item); });
}

void TFormMain::ActionBookmarkDeleteExecute() {
  QTreeWidgetItem* node = GetSelectedBookmarkNode();
  if (!node) return;
  const int index = BookmarkRoot()->indexOfChild(node);
  if (!Confirm(this,
               QStringLiteral("選択されているブックマークを削除します。\nよろしいですか？"))) {
    return;
  }
  Config.Bookmarks.erase(Config.Bookmarks.begin() + index);
  try {
    SaveConfigAndRebuildBookmarkNodes();
  } catch (const Exception& e) {
    kestrine::app::ShowWarningBox(this, ToQString(e.Message()));
  }
}

void TFormMain::PopupMenuTreeViewPopup() {
  ActionBookmarkUpdate->setEnabled(false);
  ActionBookmarkDelete->setEnabled(false);
  if (GetSelectedBookmarkNode()) {
    ActionBookmarkUpdate->setEnabled(true);
    ActionBookmarkDelete->setEnabled(true);
  }
}

void TFormMain::TreeViewBookMouseMove(const QPoint& pos) {
  QTreeWidgetItem* node = TreeViewBook->itemAt(pos);
  if (node == HintNode) return;
  QToolTip::hideText();
  if (!node || !OnItemProper(TreeViewBook, node, pos)) return;
  HintNode = node;

  QString hint;
  QTreeWidgetItem* root = BookmarkRoot();
  const int index = node->parent() == root ? root->indexOfChild(node) : -1;
  if (index < 0 || static_cast<size_t>(index) >= Config.Bookmarks.size()) {
    hint = node->text(0);
  } else {
    const TBookmarkItem& bookmark = *Config.Bookmarks[static_cast<size_t>(index)];
    hint = ToQString(u"名称：" + bookmark.GetDisplayText() + u"\r\nブック名：" + bookmark.BookName +
                     u"\r\nシート名：" + bookmark.SheetName + u"\r\nセル：[" +
                     TCsvUtility::IndexToColumnLetters(bookmark.Column) +
                     kestrine::IntToStr(bookmark.Row + 1) + u"]");
  }
  // The tree's hint: the tool tip, and the status bar's text as long as the pointer is here.
  TreeViewBook->setToolTip(hint);
  TreeViewBook->setStatusTip(hint);
  QStatusTipEvent tip(hint);
  QCoreApplication::sendEvent(TreeViewBook, &tip);
}
