#include "app/native/Topmost.h"

#include <QWidget>

#include "platform/win/Win32Gui.h"

namespace kestrine::native {

// SetWindowPos with HWND_TOPMOST or HWND_NOTOPMOST: only the z-order changes.
void SetTopmost(QWidget* window, bool topmost) {
  kestrine::win::SetTopmost(reinterpret_cast<kestrine::win::WindowHandle>(window->winId()),
                            topmost);
}

}  // namespace kestrine::native
