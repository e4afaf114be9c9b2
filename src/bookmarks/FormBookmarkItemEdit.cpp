#include "bookmarks/FormBookmarkItemEdit.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QValidator>

#include "app/Application.h"
#include "app/CursorHourGlass.h"
#include "app/Messages.h"
#include "app/QtText.h"
#include "base/Exception.h"
#include "bookmarks/BookmarkItem.h"
#include "bookmarks/CsvUtility.h"
#include "excel/Excel.h"
#include "platform/Platform.h"

using kestrine::app::ToQString;
using kestrine::app::ToUnicodeString;

using kestrine::app::kBooksLoaded;
using kestrine::app::kNoConnection;

namespace {

const char16_t kNoBooks[] = u"開かれているブックが見つかりません。";
const char16_t kSheetsLoaded[] = u"シートを読み込みました。";
constexpr int kClientWidth = 318, kClientHeight = 189;
constexpr int kStatusBarHeight = 19, kPanelHeight = 41;
constexpr int kMaxInputLength = 7;

// "short|long": the short part is the tool tip, the long part goes to the status bar.
void SetHint(QWidget* control, const UnicodeString& hint) {
  const QString text = ToQString(hint);
  const qsizetype bar = text.indexOf(u'|');
  control->setToolTip(bar < 0 ? text : text.left(bar));
  control->setStatusTip(bar < 0 ? text : text.mid(bar + 1));
}

int FindSameText(const QComboBox* combo, const UnicodeString& text) {
  for (int i = 0; i < combo->count(); ++i) {
    if (kestrine::platform::SameText(ToUnicodeString(combo->itemText(i)), text)) return i;
  }
  return -1;
}

// An edit box's limits as the user meets them: typing and pasting stop at the length limit
// and, for a digits-only box, at anything but a digit. A text the program sets stays whole,
// and deleting from it is always allowed, so a long row read from a hand-edited file is shown
// as it is and refused by the check instead of being cut to a valid-looking number.
class TypingLimit : public QValidator {
 public:
  TypingLimit(QLineEdit* edit, int maxLength, bool digitsOnly)
      : QValidator(edit), maxLength_(maxLength), digitsOnly_(digitsOnly) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { last_ = text; });
  }

  State validate(QString& input, int&) const override {
    if (input.size() > maxLength_ && input.size() > last_.size()) return Invalid;
    if (digitsOnly_ && NonDigits(input) > NonDigits(last_)) return Invalid;
    return Acceptable;
  }

  // The next text is the program's: it passes whatever it holds.
  void Allow(const QString& text) const { last_ = text; }

 private:
  static qsizetype NonDigits(const QString& text) {
    qsizetype count = 0;
    for (const QChar c : text) count += (c < u'0' || c > u'9') ? 1 : 0;
    return count;
  }

  int maxLength_;
  bool digitsOnly_;
  mutable QString last_;
};

void SetProgramText(QLineEdit* edit, const QString& text) {
  if (const auto* limit = dynamic_cast<const TypingLimit*>(edit->validator())) limit->Allow(text);
  edit->setText(text);
}

UnicodeString LastColumnLetters(int columnCount) {
  return TCsvUtility::IndexToColumnLetters(columnCount - 1);
}

}  // namespace

TFormBookmarkItemEdit::TFormBookmarkItemEdit(QWidget* owner)
    : TBaseDialog(owner, QStringLiteral("FormBookmarkItemEdit"), QStringLiteral("ブックマーク編集"),
                  QSize(kClientWidth, kClientHeight), HelpContext) {
  CreateComponents();
  LastBookIndex = -2;
}

TFormBookmarkItemEdit::~TFormBookmarkItemEdit() = default;

void TFormBookmarkItemEdit::CreateComponents() {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("IPAPGothic")});
  font.setPointSize(8);
  setFont(font);

  auto label = [this](const QString& caption, int top) {
    auto* l = new QLabel(caption, this);
    l->setGeometry(8, top + 3, 82, 15);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
  };
  auto edit = [this](const char* name, int left, int top, int width) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(left, top, width, 21);
    return e;
  };
  auto combo = [this](const char* name, int top) {
    auto* c = new QComboBox(this);
    c->setObjectName(QLatin1String(name));
    c->setEditable(false);
    c->setGeometry(96, top, 185, 21);
    return c;
  };

  LabelName = label(QStringLiteral("名前(&N)"), 16);
  EditName = edit("EditName", 96, 16, 185);
  EditName->setPlaceholderText(QStringLiteral("ブックマーク名"));
  SetHint(EditName,
          u"ブックマーク名|ブックマーク名を入力します。空欄の場合は自動的に設定されます。");
  LabelName->setBuddy(EditName);

  Label1 = label(QStringLiteral("ブック(&B)"), 43);
  ComboBoxBook = combo("ComboBoxBook", 43);
  Label1->setBuddy(ComboBoxBook);

  Label2 = label(QStringLiteral("ワークシート(&S)"), 70);
  ComboBoxWorksheet = combo("ComboBoxWorksheet", 70);
  Label2->setBuddy(ComboBoxWorksheet);

  LabelCol = label(QStringLiteral("列(&C)"), 97);
  EditCol = edit("EditCol", 96, 97, 69);
  EditCol->setAlignment(Qt::AlignRight);
  EditCol->setValidator(new TypingLimit(EditCol, kMaxInputLength, false));
  EditCol->setAttribute(Qt::WA_InputMethodEnabled, false);
  LabelCol->setBuddy(EditCol);

  LabelRow = new QLabel(QStringLiteral("行(&R)"), this);
  LabelRow->setGeometry(172, 100, 36, 15);
  LabelRow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  EditRow = edit("EditRow", 212, 97, 69);
  EditRow->setAlignment(Qt::AlignRight);
  EditRow->setValidator(new TypingLimit(EditRow, kMaxInputLength, true));
  EditRow->setAttribute(Qt::WA_InputMethodEnabled, false);
  LabelRow->setBuddy(EditRow);

  PanelButton = new QWidget(this);
  PanelButton->setObjectName(QStringLiteral("PanelButton"));
  PanelButton->setGeometry(0, kClientHeight - kStatusBarHeight - kPanelHeight, kClientWidth,
                           kPanelHeight);
  BtnReffer = new QPushButton(QStringLiteral("参照(&R)"), PanelButton);
  BtnReffer->setObjectName(QStringLiteral("BtnReffer"));
  BtnReffer->setGeometry(8, 8, 75, 25);
  SetHint(BtnReffer, u"指定されたセルを参照する|指定されたセルを参照します。");
  BtnOk = AddOkButton(PanelButton, QStringLiteral("BtnOk"), QRect(148, 8, 75, 25));
  BitBtn2 = AddCancelButton(PanelButton, QStringLiteral("BitBtn2"), QRect(228, 8, 81, 25));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);

  setTabOrder(EditName, ComboBoxBook);
  setTabOrder(ComboBoxBook, ComboBoxWorksheet);
  setTabOrder(ComboBoxWorksheet, EditCol);
  setTabOrder(EditCol, EditRow);
  setTabOrder(EditRow, BtnReffer);
  setTabOrder(BtnReffer, BtnOk);
  setTabOrder(BtnOk, BitBtn2);

  // Only what the user chooses runs the handlers; the dialog's own selections call them
  // where it needs them.
  using kestrine::app::Reported;
  connect(ComboBoxBook, &QComboBox::activated, this, Reported([this] { ComboBoxBookChange(); }));
  connect(ComboBoxWorksheet, &QComboBox::activated, this,
          Reported([this] { ComboBoxWorksheetChange(); }));
  connect(BtnOk, &QPushButton::clicked, this, Reported([this] { BtnOkClick(); }));
  connect(BtnReffer, &QPushButton::clicked, this, Reported([this] { BtnRefferClick(); }));
}

void TFormBookmarkItemEdit::LoadBooks(TExcel* connection) {
  Connection = connection;
  if (!Connection) throw Exception(kNoConnection);
  ComboBoxBook->clear();
  Excel::TWorkbooks books = Connection->Workbooks();
  const int count = books.Count();
  for (int i = 1; i <= count; ++i) ComboBoxBook->addItem(ToQString(books.Item(i).Name()));
  if (ComboBoxBook->count() == 0) throw Exception(kNoBooks);
  ComboBoxBook->setCurrentIndex(0);
  SetStatusText(ToQString(kBooksLoaded));
  ComboBoxBookChange();
  SetProgramText(EditCol, QStringLiteral("A"));
  SetProgramText(EditRow, QStringLiteral("1"));
}

void TFormBookmarkItemEdit::SetBookmarkItem(const TBookmarkItem* item) {
  if (!item) return;
  EditName->setText(ToQString(item->GetDisplayText()));
  ComboBoxBook->setCurrentIndex(FindSameText(ComboBoxBook, item->BookName));
  ComboBoxBookChange();
  // The sheet's size stays the one read for the sheet the workbook change selected.
  ComboBoxWorksheet->setCurrentIndex(FindSameText(ComboBoxWorksheet, item->SheetName));
  SetProgramText(EditCol, ToQString(TCsvUtility::IndexToColumnLetters(item->Column)));
  // Widened first: a row read from a hand-edited file may be the largest int.
  SetProgramText(EditRow, ToQString(kestrine::IntToStr(static_cast<long long>(item->Row) + 1)));
}

std::unique_ptr<TBookmarkItem> TFormBookmarkItemEdit::CreateBookmarkItem() const {
  return std::make_unique<TBookmarkItem>(ToUnicodeString(EditName->text()), GetBookName(),
                                         GetSheetName(), GetColumnIndex(), GetRowIndex());
}

int TFormBookmarkItemEdit::GetColumnIndex() const {
  const UnicodeString text = ToUnicodeString(EditCol->text());
  int number = 0;
  if (kestrine::TryDecimalToInt(text, number)) {
    return (number >= 1 && number <= ColumnCount) ? number - 1 : -1;
  }
  const int index = TCsvUtility::ColumnLettersToIndex(text);
  return (index >= 0 && index < ColumnCount) ? index : -1;
}

int TFormBookmarkItemEdit::GetRowIndex() const {
  int number = 0;
  if (!kestrine::TryStrToInt(ToUnicodeString(EditRow->text()), number)) return -1;
  return (number >= 1 && number <= RowCount) ? number - 1 : -1;
}

UnicodeString TFormBookmarkItemEdit::GetBookName() const {
  return ComboBoxBook->currentIndex() < 0 ? UnicodeString()
                                          : ToUnicodeString(ComboBoxBook->currentText());
}

UnicodeString TFormBookmarkItemEdit::GetSheetName() const {
  return ComboBoxWorksheet->currentIndex() < 0 ? UnicodeString()
                                               : ToUnicodeString(ComboBoxWorksheet->currentText());
}

bool TFormBookmarkItemEdit::Refuse(QWidget* control, const UnicodeString& message) {
  kestrine::app::ShowWarningBox(this, ToQString(message));
  control->setFocus(Qt::OtherFocusReason);
  return false;
}

bool TFormBookmarkItemEdit::ValidateInput() {
  if (ComboBoxBook->currentIndex() < 0) {
    return Refuse(ComboBoxBook, u"ブックが選択されていません。");
  }
  if (ComboBoxWorksheet->currentIndex() < 0) {
    return Refuse(ComboBoxWorksheet, u"ワークシートが選択されていません。");
  }
  if (GetColumnIndex() == -1) {
    return Refuse(EditCol, u"列には「A」から「" + LastColumnLetters(ColumnCount) +
                               u"」までの列名を入力してください。");
  }
  if (GetRowIndex() == -1) {
    return Refuse(EditRow, u"行には「1」から「" + kestrine::IntToStr(RowCount) +
                               u"」までの行番号を入力してください。");
  }
  return true;
}

void TFormBookmarkItemEdit::ComboBoxBookChange() {
  if (ComboBoxBook->currentIndex() == LastBookIndex) return;
  if (!Connection) throw Exception(kNoConnection);
  TCursorHourGlass hourGlass;
  ComboBoxWorksheet->clear();
  // Set before asking the application: choosing the same workbook after a failure does not
  // retry.
  LastBookIndex = ComboBoxBook->currentIndex();
  Excel::TWorkbook book = Connection->Workbooks().Item(GetBookName());
  Excel::ForEachVisibleSheet(
      book, [&](const UnicodeString& name) { ComboBoxWorksheet->addItem(ToQString(name)); });
  if (ComboBoxWorksheet->count() > 0) {
    ComboBoxWorksheet->setCurrentIndex(0);
    ComboBoxWorksheetChange();
  }
  SetStatusText(ToQString(kSheetsLoaded));
}

void TFormBookmarkItemEdit::ComboBoxWorksheetChange() {
  if (!Connection) throw Exception(kNoConnection);
  Excel::TWorksheet sheet =
      Connection->Workbooks().Item(GetBookName()).WorkSheets().Item(GetSheetName());
  ColumnCount = sheet.Columns().Count();
  RowCount = sheet.Rows().Count();
  SetHint(EditCol,
          u"「A」から「" + LastColumnLetters(ColumnCount) + u"」までの列名を入力してください。");
  SetHint(EditRow,
          u"「1」から「" + kestrine::IntToStr(RowCount) + u"」までの行番号を入力してください。");
}

void TFormBookmarkItemEdit::BtnOkClick() {
  if (ValidateInput()) accept();
}

void TFormBookmarkItemEdit::BtnRefferClick() {
  if (!ValidateInput()) return;
  try {
    TCursorHourGlass hourGlass;
    // A connection of its own: the command's may be busy or gone.
    const std::unique_ptr<TExcel> excel = TExcel::Connect();
    if (!excel) throw Exception(kNoConnection);
    excel->ActivateSheet(GetBookName(), GetSheetName(), GetColumnIndex() + 1, GetRowIndex() + 1);
  } catch (const Exception& e) {
    const QString message = ToQString(e.Message());
    kestrine::app::ShowWarningBox(this, message);
    SetStatusText(message);
  }
}

QString TFormBookmarkItemEdit::GetStatusText() const {
  return StatusBar1->currentMessage();
}

void TFormBookmarkItemEdit::SetStatusText(const QString& text) {
  StatusBar1->showMessage(text);
}

bool TFormBookmarkItemEdit::event(QEvent* event) {
  // The long hint of the control under the pointer.
  if (event->type() == QEvent::StatusTip) {
    SetStatusText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QDialog::event(event);
}
