#include "app/native/Topmost.h"

#include <windows.h>
#include <QWidget>

namespace kestrine::native {

// Only the z-order changes; the result is not looked at.
void SetTopmost(QWidget* window, bool topmost) {
  SetWindowPos(reinterpret_cast<HWND>(window->winId()), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0,
               0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}

}  // namespace kestrine::native
