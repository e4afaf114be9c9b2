#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

namespace kestrine::test {

WarningBoxRecorder::WarningBoxRecorder()
    : previous_(app::SetWarningBoxFunction(
          [this](QWidget*, const QString& text) { texts.push_back(Q8(text)); })) {}

WarningBoxRecorder::~WarningBoxRecorder() {
  app::SetWarningBoxFunction(std::move(previous_));
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
