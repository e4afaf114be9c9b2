#include "app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <utility>

#include "app/ScreenSnap.h"

namespace kestrine::app {

namespace {

// Longer than this between the geometry and the state, and the two are unrelated.
constexpr std::int64_t kGeometryBeforeStateMs = 250;

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

QRect WorkAreaOf(const QWidget& window) {
  const QScreen* screen = window.screen();
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

TSavedWindowState SavedWindowStateOf(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return TSavedWindowState::Minimized;
  if (state & Qt::WindowMaximized) return TSavedWindowState::Maximized;
  return TSavedWindowState::Normal;
}

Qt::WindowStates ApplySavedWindowState(Qt::WindowStates current, TSavedWindowState saved) {
  switch (saved) {
    case TSavedWindowState::Minimized:
      return (current & ~Qt::WindowMaximized) | Qt::WindowMinimized;
    case TSavedWindowState::Maximized:
      return (current & ~Qt::WindowMinimized) | Qt::WindowMaximized;
    case TSavedWindowState::Normal:
      break;
  }
  return current;
}

TNormalFrameTracker::TNormalFrameTracker(TClock clock)
    : clock_(clock ? std::move(clock) : TClock(SteadyMilliseconds)) {}

void TNormalFrameTracker::Remember(const QRect& frame, bool fromEvent) {
  if (frame == frames_[1]) return;
  lastFromEvent_ = fromEvent;
  lastTime_ = clock_();
  frames_[0] = frames_[1];
  frames_[1] = frame;
}

void TNormalFrameTracker::StateChanged(Qt::WindowStates oldState, Qt::WindowStates newState,
                                       const QRect& workArea) {
  if (!IsOutOfNormalState(newState) || IsOutOfNormalState(oldState) || !lastFromEvent_ ||
      !frames_[0].isValid() || !lastTime_ || clock_() - *lastTime_ >= kGeometryBeforeStateMs) {
    return;
  }
  // Only a frame that covers the work area can be the maximised one.
  if (!workArea.isNull() && frames_[1].contains(workArea)) frames_[1] = frames_[0];
}

TWindowPlacement::TWindowPlacement(QWidget& window, TNormalFrameTracker::TClock clock)
    : window_(window), tracker_(std::move(clock)) {}

void TWindowPlacement::Restore(const QRect& frame, TSavedWindowState state) {
  placing_ = true;
  SetFrameBounds(frame);
  placing_ = false;
  if (state != TSavedWindowState::Normal) {
    window_.setWindowState(ApplySavedWindowState(window_.windowState(), state));
  }
}

void TWindowPlacement::SetFrameBounds(const QRect& frame) {
  // move() places the frame; the client size is the frame's less the window manager's margins.
  const QRect outer = window_.frameGeometry(), inner = window_.geometry();
  const int extraWidth = outer.width() - inner.width();
  const int extraHeight = outer.height() - inner.height();
  window_.move(frame.topLeft());
  window_.resize(std::max(frame.width() - extraWidth, 1),
                 std::max(frame.height() - extraHeight, 1));
  // The platform may report the new geometry later, possibly after a state change; what was
  // asked for is the normal frame now.
  tracker_.Remember(frame, false);
}

QRect TWindowPlacement::NormalFrameGeometry() const {
  if (!IsOutOfNormalState(window_.windowState()) || !tracker_.Latest().isValid()) {
    return window_.frameGeometry();
  }
  return tracker_.Latest();
}

void TWindowPlacement::StateChanged(Qt::WindowStates oldState) {
  tracker_.StateChanged(oldState, window_.windowState(), WorkAreaOf(window_));
}

bool TWindowPlacement::Moved() {
  // A move that changes the size is a resize by the left or top edge: never snapped.
  const bool sizeKept = window_.size() == sizeAtLastMove_;
  sizeAtLastMove_ = window_.size();
  if (sizeKept && !placing_ && window_.isVisible() && !IsOutOfNormalState(window_.windowState()) &&
      window_.screen()) {
    const QRect frame = window_.frameGeometry();
    const QPoint snapped = SnapToWorkArea(frame, window_.screen()->availableGeometry());
    if (snapped != frame.topLeft()) {
      window_.move(snapped);
      return true;
    }
  }
  RememberCurrentFrame();
  return false;
}

void TWindowPlacement::Resized() {
  RememberCurrentFrame();
}

void TWindowPlacement::RememberCurrentFrame() {
  if (!window_.isVisible() || IsOutOfNormalState(window_.windowState())) return;
  tracker_.Remember(window_.frameGeometry(), true);
}

}  // namespace kestrine::app
