#include "ModalSteps.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "bookmarks/FormBookmarkItemEdit.h"

namespace kestrine::test {

TFormBookmarkItemEdit* EditDialog(QWidget* modal) {
  auto* dialog = qobject_cast<TFormBookmarkItemEdit*>(modal);
  EXPECT_NE(dialog, nullptr) << "not the edit dialog";
  return dialog;
}

ModalAnswers::Step Confirm() {
  return [](QWidget* modal) {
    if (auto* dialog = EditDialog(modal)) dialog->BtnOk->click();
  };
}

ModalAnswers::Step Cancel() {
  return [](QWidget* modal) {
    if (auto* dialog = EditDialog(modal)) dialog->BitBtn2->click();
  };
}

ModalAnswers::Step Press(const char* button) {
  return [button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << "not a message box";
    for (QAbstractButton* b : box->buttons()) {
      if (Q8(b->text()) == button) {
        b->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << button;
    box->reject();
  };
}

}  // namespace kestrine::test
