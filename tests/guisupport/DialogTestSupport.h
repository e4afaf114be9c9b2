#pragma once
// What the dialog tests share: a recorder of warning boxes, and waiting for a condition.
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "app/Application.h"

class QWidget;

namespace kestrine::test {

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

// Processes events until `done` holds or the time is up; returns whether it held.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000);

}  // namespace kestrine::test
