#pragma once
// The general settings dialog: placement restore, tray residence and the global hotkey. It
// edits a TConfig in memory only; saving is the owner's business.
#include "app/BaseDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TConfig;

class TFormConfigGeneral : public TBaseDialog {
  Q_OBJECT

 public:
  // The topic F1 asks for.
  static constexpr int HelpContext = 6;

  explicit TFormConfigGeneral(QWidget* owner = nullptr);
  ~TFormConfigGeneral() override;

  // --- components, in tab order ---
  QCheckBox* CheckBoxWindowPositionRestore;
  QCheckBox* CheckBoxInTaskTray;
  QCheckBox* CheckBoxUseHotKey;
  QLabel* Label1;
  QComboBox* ComboBoxHotKeyCode;  // entry i is THotKeyCode::FromIndex(i)
  QWidget* PanelBottom;
  QPushButton* BitBtn1;  // OK
  QPushButton* BitBtn2;  // Cancel
  // The sheet finder's hotkey, in a group below the controls above.
  QGroupBox* GroupBoxFinder;
  QCheckBox* CheckBoxFinderUseHotKey;
  QLabel* LabelFinderHotKeyCode;
  QComboBox* ComboBoxFinderHotKeyCode;

  void LoadFromConfig(const TConfig& config);
  // No entry selected stores index 0, through the setter.
  void StoreToConfig(TConfig& config) const;

  // Refuses, with a warning and the dialog left open, two hotkeys on one combination.
  void accept() override;
};
