#include "settings/FormConfigGeneral.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/Application.h"
#include "app/QtText.h"
#include "hotkey/HotKeyCode.h"
#include "settings/Config.h"

using kestrine::app::ToQString;

namespace {

// The finder's group adds kFinderHeight below the first controls; the panel stays at the
// bottom edge, so the dialog grows and nothing above the group moves.
constexpr int kWidth = 373, kFinderHeight = 80, kHeight = 202 + kFinderHeight, kPanelHeight = 57;

}  // namespace

TFormConfigGeneral::TFormConfigGeneral(QWidget* owner)
    : TBaseDialog(owner, QStringLiteral("FormConfigGeneral"), QStringLiteral("全般設定"),
                  QSize(kWidth, kHeight), HelpContext) {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("IPAPGothic")});
  font.setPixelSize(11);
  setFont(font);

  auto checkBox = [this](const char* name, const QString& caption, int top, int width) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(16, top, width, 17);
    return box;
  };
  CheckBoxWindowPositionRestore =
      checkBox("CheckBoxWindowPositionRestore",
               QStringLiteral("前回終了時のウィンドウサイズを起動時に復元する"), 16, 265);
  CheckBoxInTaskTray =
      checkBox("CheckBoxInTaskTray", QStringLiteral("最小化したときタスクトレイに入れる"), 46, 265);
  CheckBoxUseHotKey =
      checkBox("CheckBoxUseHotKey", QStringLiteral("ホットキーを使用する"), 80, 161);

  Label1 = new QLabel(QStringLiteral("キー"), this);
  Label1->setGeometry(67, 106, 20, 13);
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ComboBoxHotKeyCode = new QComboBox(this);
  ComboBoxHotKeyCode->setObjectName(QStringLiteral("ComboBoxHotKeyCode"));
  ComboBoxHotKeyCode->setEditable(false);
  ComboBoxHotKeyCode->setGeometry(98, 103, 151, 21);
  Label1->setBuddy(ComboBoxHotKeyCode);
  ComboBoxHotKeyCode->clear();
  QStringList names;
  for (const UnicodeString& name : THotKeyCode::GetNames()) names.append(ToQString(name));
  ComboBoxHotKeyCode->addItems(names);

  GroupBoxFinder = new QGroupBox(QStringLiteral("シートの検索"), this);
  GroupBoxFinder->setObjectName(QStringLiteral("GroupBoxFinder"));
  GroupBoxFinder->setGeometry(8, 138, kWidth - 16, kFinderHeight - 6);
  CheckBoxFinderUseHotKey = new QCheckBox(QStringLiteral("ホットキーを使用する"), GroupBoxFinder);
  CheckBoxFinderUseHotKey->setObjectName(QStringLiteral("CheckBoxFinderUseHotKey"));
  CheckBoxFinderUseHotKey->setGeometry(8, 20, 161, 17);
  LabelFinderHotKeyCode = new QLabel(QStringLiteral("キー"), GroupBoxFinder);
  LabelFinderHotKeyCode->setGeometry(59, 46, 20, 13);
  LabelFinderHotKeyCode->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ComboBoxFinderHotKeyCode = new QComboBox(GroupBoxFinder);
  ComboBoxFinderHotKeyCode->setObjectName(QStringLiteral("ComboBoxFinderHotKeyCode"));
  ComboBoxFinderHotKeyCode->setEditable(false);
  ComboBoxFinderHotKeyCode->setGeometry(90, 43, 151, 21);
  LabelFinderHotKeyCode->setBuddy(ComboBoxFinderHotKeyCode);
  ComboBoxFinderHotKeyCode->addItems(names);

  PanelBottom = new QWidget(this);
  PanelBottom->setObjectName(QStringLiteral("PanelBottom"));
  PanelBottom->setGeometry(0, kHeight - kPanelHeight, kWidth, kPanelHeight);
  BitBtn1 = AddOkButton(PanelBottom, QStringLiteral("BitBtn1"), QRect(191, 16, 75, 25));
  BitBtn2 = AddCancelButton(PanelBottom, QStringLiteral("BitBtn2"), QRect(272, 16, 83, 25));

  // The buttons come first, as the panel is first in the form's tab order.
  setTabOrder(BitBtn1, BitBtn2);
  setTabOrder(BitBtn2, CheckBoxWindowPositionRestore);
  setTabOrder(CheckBoxWindowPositionRestore, CheckBoxInTaskTray);
  setTabOrder(CheckBoxInTaskTray, CheckBoxUseHotKey);
  setTabOrder(CheckBoxUseHotKey, ComboBoxHotKeyCode);
  setTabOrder(ComboBoxHotKeyCode, CheckBoxFinderUseHotKey);
  setTabOrder(CheckBoxFinderUseHotKey, ComboBoxFinderHotKeyCode);

  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TFormConfigGeneral::~TFormConfigGeneral() = default;

void TFormConfigGeneral::LoadFromConfig(const TConfig& config) {
  CheckBoxWindowPositionRestore->setChecked(config.WindowPositionRestore);
  CheckBoxInTaskTray->setChecked(config.InTaskTray);
  CheckBoxUseHotKey->setChecked(config.UseHotKey);
  ComboBoxHotKeyCode->setCurrentIndex(config.GetHotKeyCodeIndex());
  CheckBoxFinderUseHotKey->setChecked(config.GetFinderUseHotKey());
  ComboBoxFinderHotKeyCode->setCurrentIndex(config.GetFinderHotKeyCodeIndex());
}

void TFormConfigGeneral::StoreToConfig(TConfig& config) const {
  config.WindowPositionRestore = CheckBoxWindowPositionRestore->isChecked();
  config.InTaskTray = CheckBoxInTaskTray->isChecked();
  config.UseHotKey = CheckBoxUseHotKey->isChecked();
  config.SetHotKeyCodeIndex(ComboBoxHotKeyCode->currentIndex());
  config.SetFinderHotKey(CheckBoxFinderUseHotKey->isChecked(),
                         ComboBoxFinderHotKeyCode->currentIndex());
}

void TFormConfigGeneral::accept() {
  // An unselected list stores index 0, so it is compared as 0.
  const auto index = [](const QComboBox* box) { return std::max(box->currentIndex(), 0); };
  if (CheckBoxUseHotKey->isChecked() && CheckBoxFinderUseHotKey->isChecked() &&
      index(ComboBoxHotKeyCode) == index(ComboBoxFinderHotKeyCode)) {
    kestrine::app::ShowWarningBox(
        this, QStringLiteral(
                  "シートの検索のホットキーには、ほかのホットキーと違うキーを選んでください。"));
    return;
  }
  QDialog::accept();
}
