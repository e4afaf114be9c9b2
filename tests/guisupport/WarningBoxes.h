#pragma once
// Warning boxes in widget tests: recorded instead of shown, or the real box for once.
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/Application.h"

class QWidget;

namespace kestrine::test {

struct WarningBox {
  QString text;
  QWidget* parent;
  bool hourglass;      // the hourglass was up while the box was open
  QString statusText;  // the status bar while the box was open, where the recorder was told
};

// Takes the place of the warning box for its lifetime and keeps what each box would have
// shown, with the program's state at that moment.
class WarningBoxRecorder {
 public:
  // `statusText` reads the status bar when a box opens.
  explicit WarningBoxRecorder(std::function<QString()> statusText = {});
  ~WarningBoxRecorder();
  WarningBoxRecorder(const WarningBoxRecorder&) = delete;
  WarningBoxRecorder& operator=(const WarningBoxRecorder&) = delete;

  std::vector<std::string> Texts() const;  // UTF-8

  // Runs an action of the test at each box while it lives, to note more of the moment.
  class Hook {
   public:
    Hook(WarningBoxRecorder& recorder, std::function<void()> action);
    ~Hook();
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

   private:
    WarningBoxRecorder& recorder_;
  };

  std::vector<WarningBox> boxes;

 private:
  std::function<void()> hook_;
  app::WarningBoxFunction previous_;
};

// The real warning box for the scope, answered like a user would.
class RealWarningBoxes {
 public:
  RealWarningBoxes();
  ~RealWarningBoxes();
  RealWarningBoxes(const RealWarningBoxes&) = delete;
  RealWarningBoxes& operator=(const RealWarningBoxes&) = delete;

 private:
  app::WarningBoxFunction previous_;
};

}  // namespace kestrine::test
