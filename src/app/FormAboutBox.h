#pragma once
// The version box: product name, version, rights holder and description, read afresh from the
// program's version resource each time a box is built.
#include "app/BaseDialog.h"

class QFrame;
class QLabel;
class QPushButton;

class TFormAboutBox : public TBaseDialog {
  Q_OBJECT

 public:
  // Throws Exception when the version resource cannot be read; no box exists then.
  explicit TFormAboutBox(QWidget* owner = nullptr);
  ~TFormAboutBox() override;

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;
  QLabel* Comments;
  QPushButton* OKButton;
};
