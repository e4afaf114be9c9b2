// The tray on desktops with a StatusNotifier host: Qt exports the icon and its menu over D-Bus,
// and the host asks for the menu's layout itself.
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "GuiFixture.h"
#include "support/XDisplay.h"

namespace kestrine::test {
namespace {

class TrayStatusNotifierTest : public GuiTest {
 protected:
};

TEST_F(TrayStatusNotifierTest, MenuOpenedFromTheHostShowsTheSheetsOfTheLastReload) {
  if (!XDisplay::StatusNotifierHost()) {
    GTEST_SKIP() << "needs KESTRINE_TEST_TRAY_HOST=statusnotifier under dbus-run-session";
  }
  ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
  WriteConfig([](TConfig& config) { config.InTaskTray = true; });
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.Register();
  StartForm();
  RunCommand("xdotool windowminimize " + std::to_string(form->winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->TrayIcon1->isVisible() && !form->isVisible(); }));
  // The icon went to the host over D-Bus, not into an XEmbed tray.
  ASSERT_TRUE(WaitFor(5000, [] {
    return RunCommand(
               "dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher "
               "/StatusNotifierWatcher org.freedesktop.DBus.Properties.Get "
               "string:org.kde.StatusNotifierWatcher "
               "string:RegisteredStatusNotifierItems")
               .find("string \"") != std::string::npos;
  }));

  // A book opened since the menu was last built; the reload lists it while the window is away.
  server.AddBook("B.xlsx", {"T1", "T2"});
  form->N1->trigger();
  server.ClearCalls();

  // The host's bar runs along the top, its one icon at the right end.
  RunFor(500);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  RunCommand("xdotool mousemove " + std::to_string(screen.right() - 14) + " 14 click 3");
  RunFor(1000);
  // The host's menu through its access keys: "ブック(&E)", the second book, its second sheet.
  for (const char* key : {"e", "2", "2"}) {
    RunCommand(std::string("xdotool key ") + key);
    RunFor(500);
  }
  ASSERT_TRUE(WaitFor(3000, [&] { return server.bringToFrontCount == 1; }))
      << XDisplay::Current()->Logs();
  EXPECT_EQ(server.ActiveSheet(), "B.xlsx!T2");
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(warnings.boxes.empty());
}

}  // namespace
}  // namespace kestrine::test
