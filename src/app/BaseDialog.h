#pragma once
// The set-up the program's dialogs share: a fixed size in the middle of the screen, no
// context-help button, F1 to the dialog's help topic, and the OK and Cancel buttons.
#include <QDialog>
#include <functional>

class QPushButton;

class TBaseDialog : public QDialog {
  Q_OBJECT

 public:
  // F1 calls this with the dialog's topic; the owner plugs in the help viewer. Empty: F1 does
  // nothing.
  std::function<void(int helpContext)> OnHelp;

 protected:
  // helpContext 0: the dialog has no topic and leaves F1 alone.
  TBaseDialog(QWidget* owner, const QString& name, const QString& title, const QSize& size,
              int helpContext = 0);

  // The default button; the caller connects it, since some dialogs check before accepting.
  QPushButton* AddOkButton(QWidget* parent, const QString& name, const QRect& geometry);
  // Connected to reject.
  QPushButton* AddCancelButton(QWidget* parent, const QString& name, const QRect& geometry);

  void keyPressEvent(QKeyEvent* event) override;

 private:
  const int helpContext_;
};
