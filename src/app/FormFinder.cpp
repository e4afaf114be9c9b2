#include "app/FormFinder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

using kestrine::app::MakeFinderKey;
using kestrine::app::RankMatches;
using kestrine::app::SearchWords;

namespace {

const char16_t kTitle[] = u"シートの検索";
const char16_t kNoMatch[] = u"一致するシートはありません。";
constexpr int kBookRole = Qt::UserRole;
constexpr int kWidth = 420, kHeight = 360;

}  // namespace

// The rows the finder shows, read straight from its vectors: a keystroke resets the model
// instead of making an item per row.
class TFinderListModel : public QAbstractListModel {
 public:
  TFinderListModel(const TFormFinder& finder, QIcon sheetImage, QIcon bookmarkImage,
                   QObject* parent)
      : QAbstractListModel(parent),
        finder_(finder),
        sheetImage_(std::move(sheetImage)),
        bookmarkImage_(std::move(bookmarkImage)) {}

  void Reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    if (parent.isValid()) return 0;
    if (finder_.ShowsNoMatch()) return 1;
    return static_cast<int>(finder_.Shown().size());
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    // The no-match line is greyed and can be neither selected nor chosen.
    if (finder_.ShowsNoMatch() || !index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (finder_.ShowsNoMatch()) {
      return role == Qt::DisplayRole ? QVariant(QString::fromUtf16(kNoMatch)) : QVariant();
    }
    const TFinderRow& row = finder_.Row(finder_.Shown().at(static_cast<size_t>(index.row())));
    const bool bookmark = row.kind == TFinderRow::Kind::Bookmark;
    switch (role) {
      case Qt::DisplayRole:
        return row.text;
      case Qt::ToolTipRole:
        return bookmark ? row.text : row.book + QStringLiteral(" / ") + row.text;
      case Qt::DecorationRole:
        return bookmark ? bookmarkImage_ : sheetImage_;
      case kBookRole:
        return row.book;
      default:
        return {};
    }
  }

 private:
  const TFormFinder& finder_;
  QIcon sheetImage_, bookmarkImage_;
};

namespace {

// The image, the sheet name, and the workbook's name after it in the greyed text colour. Drawn
// as plain runs of text: the style's own item drawing lays out every row's text as a paragraph,
// the larger part of a keystroke's cost.
class FinderRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // Background and selection, without the text.
    const QString text = item.text;
    item.text.clear();
    item.icon = QIcon();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

    const bool enabled = item.state & QStyle::State_Enabled;
    const bool selected = item.state & QStyle::State_Selected;
    const QRect rect = item.rect.adjusted(kMargin, 0, -kMargin, 0);
    int left = rect.left();
    const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    if (!icon.isNull()) {
      const QRect iconRect(left, rect.top() + (rect.height() - kIcon) / 2, kIcon, kIcon);
      icon.paint(painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
      left += kIcon + kMargin;
    }
    const QFontMetrics& metrics = item.fontMetrics;
    const QPalette::ColorGroup group = enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    QRect textRect(left, rect.top(), rect.right() - left, rect.height());
    const int textWidth = metrics.horizontalAdvance(text);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      textWidth <= textRect.width()
                          ? text
                          : metrics.elidedText(text, Qt::ElideRight, textRect.width()));
    const QString book = index.data(kBookRole).toString();
    textRect.setLeft(left + textWidth + metrics.horizontalAdvance(QLatin1Char(' ')) * 3);
    if (!book.isEmpty() && textRect.width() > 0) {
      painter->setPen(selected ? item.palette.color(QPalette::HighlightedText)
                               : item.palette.color(QPalette::Disabled, QPalette::Text));
      painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                        metrics.elidedText(book, Qt::ElideRight, textRect.width()));
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), std::max(option.fontMetrics.height(), kIcon) + 4);
  }

 private:
  static constexpr int kMargin = 3, kIcon = 16;
};

}  // namespace

TFormFinder::TFormFinder(const QIcon& sheetImage, const QIcon& bookmarkImage)
    : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("FormFinder"));
  setWindowTitle(QString::fromUtf16(kTitle));
  // The main window's close ends the program, whether the finder is open or not.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(kWidth, kHeight);

  EditQuery = new QLineEdit(this);
  EditQuery->setObjectName(QStringLiteral("EditQuery"));
  ListMatches = new QListView(this);
  ListMatches->setObjectName(QStringLiteral("ListMatches"));
  // Equal rows: the view lays out a reset list without measuring every row.
  ListMatches->setUniformItemSizes(true);
  ListMatches->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListMatches->setSelectionMode(QAbstractItemView::SingleSelection);
  ListMatches->setFocusPolicy(Qt::NoFocus);
  ListMatches->setItemDelegate(new FinderRowDelegate(ListMatches));
  model_ = new TFinderListModel(*this, sheetImage, bookmarkImage, this);
  ListMatches->setModel(model_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addWidget(EditQuery);
  layout->addWidget(ListMatches);

  EditQuery->installEventFilter(this);
  connect(EditQuery, &QLineEdit::textChanged, this, &TFormFinder::Filter);
  connect(ListMatches, &QListView::doubleClicked, this,
          [this](const QModelIndex& index) { Choose(index.row()); });
}

TFormFinder::~TFormFinder() = default;

void TFormFinder::SetRows(std::vector<TFinderRow> rows, std::vector<int> recent) {
  rows_ = std::move(rows);
  recent_ = std::move(recent);
  keys_.clear();
  keys_.reserve(rows_.size());
  for (const TFinderRow& row : rows_) {
    keys_.push_back(MakeFinderKey(row.kind == TFinderRow::Kind::Bookmark, row.text, row.book));
  }
  Filter(EditQuery->text());
}

void TFormFinder::Open(QScreen* screen) {
  // A query left from the last opening would hide the recent places.
  if (EditQuery->text().isEmpty()) {
    Filter(QString());
  } else {
    EditQuery->clear();
  }
  if (screen) {
    const QRect area = screen->availableGeometry();
    const QSize size = isVisible() ? frameGeometry().size() : QSize(kWidth, kHeight);
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
  }
  showNormal();
  raise();
  activateWindow();
  EditQuery->setFocus(Qt::ActiveWindowFocusReason);
}

void TFormFinder::Filter(const QString& query) {
  model_->Reset([&] {
    const QStringList words = SearchWords(query);
    if (words.isEmpty()) {
      shown_ = recent_;
      noMatch_ = false;
    } else {
      shown_ = RankMatches(keys_, words);
      noMatch_ = shown_.empty();
    }
  });
  if (!shown_.empty()) ListMatches->setCurrentIndex(model_->index(0));
}

void TFormFinder::Choose(int listRow) {
  if (noMatch_ || listRow < 0 || listRow >= static_cast<int>(shown_.size())) return;
  // A copy: the owner's jump may hand the finder new rows.
  const TFinderRow row = rows_.at(static_cast<size_t>(shown_[static_cast<size_t>(listRow)]));
  hide();
  if (OnChoose) OnChoose(row);
}

bool TFormFinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditQuery && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        // The list moves its selection; the focus stays in the box.
        QCoreApplication::sendEvent(ListMatches, event);
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter: {
        const QModelIndex current = ListMatches->currentIndex();
        Choose(current.isValid() ? current.row() : 0);
        return true;
      }
      case Qt::Key_Escape:
        hide();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}
