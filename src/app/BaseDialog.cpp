#include "app/BaseDialog.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

#include "app/ScreenCenter.h"

TBaseDialog::TBaseDialog(QWidget* owner, const QString& name, const QString& title,
                         const QSize& size, int helpContext)
    : QDialog(owner), helpContext_(helpContext) {
  setObjectName(name);
  setWindowTitle(title);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(size);
  kestrine::app::CenterOnScreen(this);
}

QPushButton* TBaseDialog::AddOkButton(QWidget* parent, const QString& name, const QRect& geometry) {
  auto* button = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                                 QStringLiteral("OK"), parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setDefault(true);
  return button;
}

QPushButton* TBaseDialog::AddCancelButton(QWidget* parent, const QString& name,
                                          const QRect& geometry) {
  auto* button = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                 QStringLiteral("キャンセル"), parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  connect(button, &QPushButton::clicked, this, &QDialog::reject);
  return button;
}

void TBaseDialog::keyPressEvent(QKeyEvent* event) {
  if (helpContext_ != 0 && event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    if (OnHelp) OnHelp(helpContext_);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
