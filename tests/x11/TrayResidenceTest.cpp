// Minimising into the tray under a real window manager, with and without a tray host.
#include <QMenu>
#include <QSystemTrayIcon>

#include "GuiFixture.h"
#include "TrayIconClick.h"
#include "support/XDisplay.h"

namespace kestrine::test {
namespace {

class TrayResidenceTest : public GuiTest {
 protected:
  ~TrayResidenceTest() override { XDisplay::Current()->StartTrayHost(); }
  std::string WindowId() const { return std::to_string(form->winId()); }
  // ICCCM's state as the window manager keeps it: Normal, Iconic, or nothing once withdrawn.
  std::string WmState() const { return RunCommand("xprop -id " + WindowId() + " WM_STATE"); }
  bool Minimised() const { return form->windowState() & Qt::WindowMinimized; }
  bool InTray() const { return !form->isVisible() && form->TrayIcon1->isVisible(); }
  void Minimise() const { RunCommand("xdotool windowminimize " + WindowId()); }
};

TEST_F(TrayResidenceTest, MinimiseUsesTheTrayOnlyWhileAHostRuns) {
  XDisplay& session = *XDisplay::Current();
  session.StopTrayHost();
  ASSERT_TRUE(WaitFor(5000, [] { return !QSystemTrayIcon::isSystemTrayAvailable(); }));
  WriteConfig([](TConfig& config) { config.InTaskTray = true; });
  server.AddBook("A.xlsx", {"S1"});
  server.Register();
  StartForm();

  // No tray host: the window stays minimised on the taskbar, where the user finds it again.
  Minimise();
  ASSERT_TRUE(WaitFor(3000, [&] { return Minimised(); }));
  RunFor(300);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Minimised());
  EXPECT_FALSE(form->TrayIcon1->isVisible());
  EXPECT_NE(WmState().find("Iconic"), std::string::npos) << WmState();
  RunCommand("xdotool windowactivate " + WindowId());
  ASSERT_TRUE(WaitFor(3000, [&] { return !Minimised() && form->isActiveWindow(); }));

  // A tray host that appears later takes the next minimise.
  session.StartTrayHost();
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  form->PopupMenuTrayIconBook->addAction(QStringLiteral("left over"));
  Minimise();
  ASSERT_TRUE(WaitFor(3000, [&] { return InTray(); }));
  EXPECT_EQ(WmState().find("Iconic"), std::string::npos) << WmState();

  // A left click on the icon brings the window back, normal and in front, without the icon
  // and with the book submenu emptied.
  ASSERT_TRUE(ClickTrayIcon(form->TrayIcon1, 1));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->isVisible() && form->isActiveWindow(); }));
  EXPECT_FALSE(Minimised());
  EXPECT_FALSE(form->TrayIcon1->isVisible());
  EXPECT_TRUE(form->PopupMenuTrayIconBook->isEmpty());

  // The tray host goes away while the window is in it: the window comes back by itself.
  Minimise();
  ASSERT_TRUE(WaitFor(3000, [&] { return InTray(); }));
  session.StopTrayHost();
  ASSERT_TRUE(WaitFor(5000, [&] { return form->isVisible(); }));
  EXPECT_FALSE(Minimised());
  EXPECT_FALSE(form->TrayIcon1->isVisible());
  EXPECT_TRUE(warnings.boxes.empty());
}

}  // namespace
}  // namespace kestrine::test
