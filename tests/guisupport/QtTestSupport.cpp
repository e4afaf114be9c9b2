#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QWidget>

namespace kestrine::test {

namespace {

constexpr int kLimitMilliseconds = 10000;

// Every open dialog: one shown without modality would not count as the modal widget.
void CloseOpenDialogs() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else if (window == QApplication::activeModalWidget()) {
      window->close();
    }
  }
}

}  // namespace

bool WaitFor(int milliseconds, const std::function<bool()>& done) {
  if (done && done()) return true;
  QEventLoop loop;
  QTimer poll, deadline;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done && done()) loop.quit();
  });
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  poll.start(10);
  deadline.setSingleShot(true);
  deadline.start(milliseconds);
  loop.exec();
  return done && done();
}

void RunFor(int milliseconds) {
  WaitFor(milliseconds, {});
}

std::string Q8(const QString& text) {
  return text.toStdString();
}

ModalAnswers::ModalAnswers(std::vector<Step> steps) : steps_(std::move(steps)) {
  clock_.start();
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start(20);
}

void ModalAnswers::Tick() {
  if (clock_.elapsed() > kLimitMilliseconds) {
    timer_.stop();
    ADD_FAILURE() << "a modal widget was still open after " << kLimitMilliseconds << " ms";
    CloseOpenDialogs();
    return;
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || starting_) return;
  if (next_ >= steps_.size()) {
    ADD_FAILURE() << "an unexpected modal widget: " << Q8(modal->windowTitle());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    return;
  }
  // Run from a timer of its own: Qt does not fire this timer again while its own tick is
  // still running, and a step may open another modal widget that the next step answers.
  const size_t step = next_++;
  starting_ = true;
  QTimer::singleShot(0, modal, [this, step, modal] {
    starting_ = false;
    steps_[step](modal);
  });
}

}  // namespace kestrine::test
