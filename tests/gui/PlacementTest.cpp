// Stay-on-top, closing with its stored placement, and the tray, on the offscreen platform.
// The real window manager's side is in the x11 tests.
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "GuiFixture.h"

namespace kestrine::test {
namespace {

class PlacementTest : public GuiTest {
 protected:
  std::unique_ptr<TConfig> SavedConfig() {
    auto config = std::make_unique<TConfig>();
    config->Load(TConfig::GetFileName());
    return config;
  }
};

TEST_F(PlacementTest, StayOnTopButtonTogglesOnceAndCloseStoresIt) {
  server.Register();
  StartForm();
  QTest::mouseClick(form->ToolButton2, Qt::LeftButton);
  EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
  EXPECT_TRUE(form->ToolButton2->isChecked());
  EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  // Only the close stores it.
  EXPECT_FALSE(SavedConfig()->ShowStayOnTop);

  form->close();
  EXPECT_TRUE(SavedConfig()->ShowStayOnTop);
}

TEST_F(PlacementTest, CloseStoresStateAndNormalBounds) {
  struct Case {
    const char* name;
    Qt::WindowState state;
    int stored;
  };
  for (const Case& c :
       {Case{"normal", Qt::WindowNoState, 0}, Case{"maximised", Qt::WindowMaximized, 2},
        Case{"minimised", Qt::WindowMinimized, 1}}) {
    SCOPED_TRACE(c.name);
    WriteConfig([](TConfig& config) {
      config.WindowPositionRestore = true;
      config.WindowPosition = {120, 80, 500, 400};
    });
    server.Register();
    StartForm();
    form->setWindowState(c.state);
    RunFor(50);

    form->close();

    const auto saved = SavedConfig();
    EXPECT_EQ(saved->GetWindowState(), c.stored);
    EXPECT_EQ(QRect(saved->WindowPosition.Left, saved->WindowPosition.Top,
                    saved->WindowPosition.Width, saved->WindowPosition.Height),
              QRect(120, 80, 500, 400));
    form.reset();
  }
}

// The offscreen platform has no notification area, like a desktop without a tray host.
TEST_F(PlacementTest, MinimiseWithoutANotificationAreaStaysOnTheTaskbar) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  for (const bool inTaskTray : {false, true}) {
    SCOPED_TRACE(inTaskTray ? "InTaskTray on" : "InTaskTray off");
    WriteConfig([&](TConfig& config) { config.InTaskTray = inTaskTray; });
    server.Register();
    StartForm();
    form->showMinimized();
    RunFor(100);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(form->TrayIcon1->isVisible());
    // Closed from the taskbar, it stores its state as minimised.
    form->close();
    EXPECT_EQ(SavedConfig()->GetWindowState(), 1);
    form.reset();
  }
}

}  // namespace
}  // namespace kestrine::test
