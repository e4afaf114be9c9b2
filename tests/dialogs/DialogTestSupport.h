#pragma once
// What the dialog tests share: a recorder of warning boxes and a driver for modal dialogs.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/Application.h"

class QWidget;

namespace kestrine::test {

std::string Q8(const QString& text);

// Takes the place of the warning box for its lifetime and keeps the texts.
class WarningBoxRecorder {
 public:
  WarningBoxRecorder();
  ~WarningBoxRecorder();
  WarningBoxRecorder(const WarningBoxRecorder&) = delete;
  WarningBoxRecorder& operator=(const WarningBoxRecorder&) = delete;
  std::vector<std::string> texts;

 private:
  app::WarningBoxFunction previous_;
};

// Answers modal widgets from a short repeating timer: each tick that finds one runs the next
// step on it. A step may open another modal widget; the timer keeps running inside it. When
// the time is up, whatever is still open is closed and the test fails.
class ModalDriver {
 public:
  using Step = std::function<void(QWidget* modal)>;
  explicit ModalDriver(std::vector<Step> steps, int limitMilliseconds = 10000);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;
  bool AllStepsRan() const { return next_ == steps_.size(); }

 private:
  void Tick();
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool starting_ = false;
  int limit_;
  QElapsedTimer clock_;
  QTimer timer_;
};

// Processes events until `done` holds or the time is up; returns whether it held.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000);

}  // namespace kestrine::test
