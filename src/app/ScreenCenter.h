#pragma once
// Dialogs open in the middle of the screen, not over their owner as Qt places them.
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace kestrine::app {

// Call once the window has its final size and before it is shown; Qt leaves a window that
// was moved where it is.
inline void CenterOnScreen(QWidget* window) {
  if (const QScreen* screen = window->screen()) {
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  }
}

}  // namespace kestrine::app
