#include "app/CursorHourGlass.h"

#include <QApplication>

// The override cursor stack keeps the cursor that was there before.
TCursorHourGlass::TCursorHourGlass() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

TCursorHourGlass::~TCursorHourGlass() {
  QApplication::restoreOverrideCursor();
}
