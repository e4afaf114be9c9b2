#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

namespace kestrine::test {

std::string Q8(const QString& text) {
  return text.toStdString();
}

WarningBoxRecorder::WarningBoxRecorder()
    : previous_(app::SetWarningBoxFunction(
          [this](QWidget*, const QString& text) { texts.push_back(Q8(text)); })) {}

WarningBoxRecorder::~WarningBoxRecorder() {
  app::SetWarningBoxFunction(std::move(previous_));
}

ModalDriver::ModalDriver(std::vector<Step> steps, int limitMilliseconds)
    : steps_(std::move(steps)), limit_(limitMilliseconds) {
  clock_.start();
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start();
}

ModalDriver::~ModalDriver() {
  timer_.stop();
}

void ModalDriver::Tick() {
  if (clock_.elapsed() > limit_) {
    timer_.stop();
    ADD_FAILURE() << "a modal widget was still open after " << limit_ << " ms";
    // Every open dialog: one shown without modality would not count as the modal widget.
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible()) continue;
      if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
      } else if (window == QApplication::activeModalWidget()) {
        window->close();
      }
    }
    return;
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || starting_ || next_ >= steps_.size()) return;
  // Run from a timer of its own: Qt does not fire this timer again while its own tick is
  // still running, and a step may open another modal widget that the next step answers.
  const size_t step = next_++;
  starting_ = true;
  QTimer::singleShot(0, modal, [this, step, modal] {
    starting_ = false;
    steps_[step](modal);
  });
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(5);
  }
  return true;
}

}  // namespace kestrine::test
