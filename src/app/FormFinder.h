#pragma once
// The sheet finder: a text box over a list of the listed sheets and bookmarks that match what
// is typed. It works from rows its owner hands it and never reaches the spreadsheet itself.
#include <QAbstractListModel>
#include <QIcon>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/FinderMatch.h"
#include "base/UnicodeString.h"

class QLineEdit;
class QListView;
class QScreen;

struct TFinderRow {
  enum class Kind { Sheet, Bookmark };
  Kind kind = Kind::Sheet;
  QString text;    // the sheet name or the bookmark's display text
  QString book;    // sheet rows: the workbook name, shown greyed
  int number = 0;  // the sheet number or the bookmark's index
  // What the number stood for when the rows were built; the owner checks it before a jump.
  UnicodeString bookName, sheetName;
};

class TFinderListModel;

class TFormFinder : public QWidget {
  Q_OBJECT

 public:
  // Images by kind: the sheet's and the bookmark's.
  TFormFinder(const QIcon& sheetImage, const QIcon& bookmarkImage);
  ~TFormFinder() override;

  QLineEdit* EditQuery;
  QListView* ListMatches;

  // `rows`: bookmarks in list order, then sheets in tree order. `recent`: indices into `rows`,
  // newest first, shown while the box is empty.
  void SetRows(std::vector<TFinderRow> rows, std::vector<int> recent);
  // Empties the box and shows the window centred on `screen`, in front, typing into the box.
  void Open(QScreen* screen);

  // What the list shows, as row indices; empty with ShowsNoMatch when nothing matched.
  const std::vector<int>& Shown() const { return shown_; }
  bool ShowsNoMatch() const { return noMatch_; }
  const TFinderRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }

  // Called with the chosen row after the finder has closed.
  std::function<void(const TFinderRow&)> OnChoose;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Filter(const QString& query);
  void Choose(int listRow);

  std::vector<TFinderRow> rows_;
  std::vector<kestrine::app::FinderKey> keys_;
  std::vector<int> recent_;
  std::vector<int> shown_;
  bool noMatch_ = false;
  TFinderListModel* model_;
};
