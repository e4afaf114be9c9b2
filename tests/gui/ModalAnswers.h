#pragma once
// Answers the modal widgets a command opens, so that no test ever waits on a dialog.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;
class TFormBookmarkItemEdit;

namespace kestrine::test {

// Answers modal widgets from a short repeating timer, one step for each that opens. A step
// runs from a timer of its own, so it may open another modal widget. Whatever is still open
// when the time is up is closed, and the test fails.
class ModalAnswers {
 public:
  using Step = std::function<void(QWidget* modal)>;
  explicit ModalAnswers(std::vector<Step> steps);
  ModalAnswers(const ModalAnswers&) = delete;
  ModalAnswers& operator=(const ModalAnswers&) = delete;
  size_t StepsRun() const { return next_; }

 private:
  void Tick();
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool starting_ = false;
  QElapsedTimer clock_;
  QTimer timer_;
};

// The modal as the edit dialog; a failure when it is something else.
TFormBookmarkItemEdit* EditDialog(QWidget* modal);
// The edit dialog's OK and Cancel buttons.
ModalAnswers::Step Confirm();
ModalAnswers::Step Cancel();
// Clicks the button of a message box that carries this text.
ModalAnswers::Step Press(const char* button);

}  // namespace kestrine::test
