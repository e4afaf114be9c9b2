#pragma once
// Where the main window stands in its normal state, even while it is maximised or minimised,
// and how it is put back there at startup.
#include <QRect>
#include <QSize>
#include <Qt>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace kestrine::app {

// Minimised, maximised or full screen: the frame on screen is not the normal one then.
inline bool IsOutOfNormalState(Qt::WindowStates state) {
  return (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
}

// The window state as the settings file keeps it.
enum class TSavedWindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

TSavedWindowState SavedWindowStateOf(Qt::WindowStates state);
// `current` with the saved state put on it; Normal leaves it as it is.
Qt::WindowStates ApplySavedWindowState(Qt::WindowStates current, TSavedWindowState saved);

// The last two normal frames. A window manager may report the maximised geometry just before it
// reports the state it belongs to; the older entry is the real normal frame then.
class TNormalFrameTracker {
 public:
  // Milliseconds of a monotonic clock.
  using TClock = std::function<std::int64_t()>;
  explicit TNormalFrameTracker(TClock clock = {});

  // fromEvent: reported by the platform, not asked for by the program.
  void Remember(const QRect& frame, bool fromEvent);
  // workArea: the available geometry of the window's screen, null when it has none.
  void StateChanged(Qt::WindowStates oldState, Qt::WindowStates newState, const QRect& workArea);
  // Null until a frame was remembered.
  QRect Latest() const { return frames_[1]; }

 private:
  TClock clock_;
  std::array<QRect, 2> frames_;
  std::optional<std::int64_t> lastTime_;
  bool lastFromEvent_ = false;
};

// The placement of one top-level window: its normal frame, snapping to the work area's edges
// after a move, and the bounds and state saved at close.
class TWindowPlacement {
 public:
  explicit TWindowPlacement(QWidget& window, TNormalFrameTracker::TClock clock = {});

  // Frame bounds, as saved; the saved bounds are applied as they are, without snapping.
  void Restore(const QRect& frame, TSavedWindowState state);
  void SetFrameBounds(const QRect& frame);
  // The window's bounds in its normal state, frame included.
  QRect NormalFrameGeometry() const;

  // Calls from the window's event handlers.
  void StateChanged(Qt::WindowStates oldState);
  // True when the window was moved again, to snap; the move it causes calls back here.
  bool Moved();
  void Resized();

 private:
  void RememberCurrentFrame();

  QWidget& window_;
  TNormalFrameTracker tracker_;
  QSize sizeAtLastMove_;
  bool placing_ = false;
};

}  // namespace kestrine::app
