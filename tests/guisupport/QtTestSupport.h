#pragma once
// What every widget test shares: readable Qt text, waiting in a real event loop, and the
// answerer of modal widgets, so that no test ever waits on a dialog.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kestrine::test {

// UTF-8 for readable test output.
std::string Q8(const QString& text);

// Runs a real event loop, which blocks when idle (QTest::qWait never does), until `done`
// holds or the time is up; returns whether `done` held.
bool WaitFor(int milliseconds, const std::function<bool()>& done);
// Runs a real event loop for a while.
void RunFor(int milliseconds);

// Answers modal widgets from a short repeating timer, one step for each that opens. A step
// runs from a timer of its own, so it may open another modal widget that the next step
// answers. A modal widget with no step left fails the test and is closed; so is whatever is
// still open when the time is up.
class ModalAnswers {
 public:
  using Step = std::function<void(QWidget* modal)>;
  explicit ModalAnswers(std::vector<Step> steps);
  ModalAnswers(const ModalAnswers&) = delete;
  ModalAnswers& operator=(const ModalAnswers&) = delete;
  size_t StepsRun() const { return next_; }
  bool AllStepsRan() const { return next_ == steps_.size(); }

 private:
  void Tick();
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool starting_ = false;
  QElapsedTimer clock_;
  QTimer timer_;
};

}  // namespace kestrine::test
