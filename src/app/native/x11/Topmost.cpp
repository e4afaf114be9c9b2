#include "app/native/Topmost.h"

#include <QWidget>
#include <QWindow>

namespace kestrine::native {

// The flag on the QWindow becomes _NET_WM_STATE_ABOVE on the existing X window; the same
// flag on the widget would hide it and create a new one.
void SetTopmost(QWidget* window, bool topmost) {
  if (QWindow* handle = window->windowHandle()) {
    handle->setFlag(Qt::WindowStaysOnTopHint, topmost);
  }
}

}  // namespace kestrine::native
