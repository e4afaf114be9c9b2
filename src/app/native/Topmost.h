#pragma once

class QWidget;

namespace kestrine::native {

// Puts a shown top-level window above all others, or back among them. Only the stacking
// changes: the window keeps its native handle, position and size.
void SetTopmost(QWidget* window, bool topmost);

}  // namespace kestrine::native
