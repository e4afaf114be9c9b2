#include "ModalAnswers.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "GuiFixture.h"
#include "bookmarks/FormBookmarkItemEdit.h"

namespace kestrine::test {

ModalAnswers::ModalAnswers(std::vector<Step> steps) : steps_(std::move(steps)) {
  clock_.start();
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start(20);
}

void ModalAnswers::Tick() {
  QWidget* modal = QApplication::activeModalWidget();
  if (clock_.elapsed() > 10000) {
    timer_.stop();
    ADD_FAILURE() << "a modal widget was left open";
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    return;
  }
  if (!modal || starting_) return;
  if (next_ >= steps_.size()) {
    ADD_FAILURE() << "an unexpected modal widget: " << Q8(modal->windowTitle());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    return;
  }
  const size_t step = next_++;
  starting_ = true;
  QTimer::singleShot(0, modal, [this, step, modal] {
    starting_ = false;
    steps_[step](modal);
  });
}

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
