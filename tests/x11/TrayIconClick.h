#pragma once
// Clicks on the real tray icon, once the tray host has docked it.
#include <QSystemTrayIcon>
#include <string>

#include "GuiFixture.h"
#include "support/XDisplay.h"

namespace kestrine::test {

// Before the host has docked it, the icon reports a valid geometry at the screen's origin,
// where a click reaches the window manager's root menu instead.
inline bool ClickTrayIcon(const QSystemTrayIcon* icon, int button) {
  const auto docked = [icon] {
    const QRect r = icon->geometry();
    return r.isValid() && r.topLeft() != QPoint(0, 0);
  };
  if (!WaitFor(5000, docked)) return false;
  const QPoint centre = icon->geometry().center();
  RunCommand("xdotool mousemove " + std::to_string(centre.x()) + " " + std::to_string(centre.y()) +
             " click " + std::to_string(button));
  return true;
}

}  // namespace kestrine::test
