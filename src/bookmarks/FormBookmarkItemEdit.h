#pragma once
// The dialog in which a bookmark's name, workbook, worksheet, column and row are edited, for
// adding a bookmark and for changing one. It never touches the bookmark list itself.
#include <functional>
#include <memory>

#include "app/BaseDialog.h"
#include "base/UnicodeString.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TBookmarkItem;
class TExcel;

class TFormBookmarkItemEdit : public TBaseDialog {
  Q_OBJECT

 public:
  // The topic F1 asks for.
  static constexpr int HelpContext = 12;

  explicit TFormBookmarkItemEdit(QWidget* owner = nullptr);
  ~TFormBookmarkItemEdit() override;

  // --- components, in tab order ---
  QLabel* LabelName;
  QLineEdit* EditName;
  QLabel* Label1;
  QComboBox* ComboBoxBook;
  QLabel* Label2;
  QComboBox* ComboBoxWorksheet;
  QLabel* LabelCol;
  QLineEdit* EditCol;
  QLabel* LabelRow;
  QLineEdit* EditRow;
  QWidget* PanelButton;
  QPushButton* BtnReffer;
  QPushButton* BtnOk;
  QPushButton* BitBtn2;
  QStatusBar* StatusBar1;

  // Keeps the connection (not owned; it must outlive the dialog), lists the open workbooks and
  // selects the first. Throws Exception when no workbook is open or the application fails.
  void LoadBooks(TExcel* connection);
  // Shows the item's values; the item is not kept. Automation failures pass out.
  void SetBookmarkItem(const TBookmarkItem* item);
  // A new item from the controls; call it only after ValidateInput passed.
  std::unique_ptr<TBookmarkItem> CreateBookmarkItem() const;

  // Shows the first failing check in a warning box and focuses its control.
  bool ValidateInput();
  // 0-based column and row as typed, or -1 when they name no cell of the selected sheet.
  int GetColumnIndex() const;
  int GetRowIndex() const;
  // The selected entry's text, or empty when nothing is selected.
  UnicodeString GetBookName() const;
  UnicodeString GetSheetName() const;

  // --- event handlers ---
  // Both run for user selections only; they throw on automation failures.
  void ComboBoxBookChange();
  void ComboBoxWorksheetChange();
  void BtnOkClick();
  void BtnRefferClick();

  // --- state, for the owner and for tests ---
  int GetColumnCount() const { return ColumnCount; }
  int GetRowCount() const { return RowCount; }
  int GetLastBookIndex() const { return LastBookIndex; }
  QString GetStatusText() const;

 protected:
  bool event(QEvent* event) override;

 private:
  void CreateComponents();
  void SetStatusText(const QString& text);
  bool Refuse(QWidget* control, const UnicodeString& message);

  TExcel* Connection = nullptr;
  int ColumnCount = 0;
  int RowCount = 0;
  int LastBookIndex = -2;
};
