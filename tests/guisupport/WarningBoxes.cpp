#include "WarningBoxes.h"

#include <QApplication>

#include "QtTestSupport.h"

namespace kestrine::test {

WarningBoxRecorder::WarningBoxRecorder(std::function<QString()> statusText)
    : previous_(app::SetWarningBoxFunction(
          [this, statusText = std::move(statusText)](QWidget* parent, const QString& text) {
            boxes.push_back(WarningBox{text, parent, QApplication::overrideCursor() != nullptr,
                                       statusText ? statusText() : QString()});
            if (hook_) hook_();
          })) {}

WarningBoxRecorder::~WarningBoxRecorder() {
  app::SetWarningBoxFunction(std::move(previous_));
}

std::vector<std::string> WarningBoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const auto& box : boxes) texts.push_back(Q8(box.text));
  return texts;
}

WarningBoxRecorder::Hook::Hook(WarningBoxRecorder& recorder, std::function<void()> action)
    : recorder_(recorder) {
  recorder_.hook_ = std::move(action);
}

WarningBoxRecorder::Hook::~Hook() {
  recorder_.hook_ = nullptr;
}

RealWarningBoxes::RealWarningBoxes() : previous_(app::SetWarningBoxFunction({})) {}

RealWarningBoxes::~RealWarningBoxes() {
  app::SetWarningBoxFunction(std::move(previous_));
}

}  // namespace kestrine::test
