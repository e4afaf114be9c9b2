// The main window under a real window manager and tray host.
#include <xcb/xcb.h>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QWindow>
#include <cstring>

#include "GuiFixture.h"
#include "TrayIconClick.h"
#include "support/XDisplay.h"

namespace kestrine::test {
namespace {

class WindowTest : public GuiTest {
 protected:
  // Polls every 50 ms with the event loop running, for up to `ms`.
  static void Settle() { RunFor(300); }
  static std::string Hex(WId id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(id));
    return text;
  }
  static bool Above(WId id) {
    return RunCommand("xprop -id " + Hex(id) + " _NET_WM_STATE").find("_NET_WM_STATE_ABOVE") !=
           std::string::npos;
  }
  static void ClickAt(const QPoint& global, int button = 1) {
    RunCommand("xdotool mousemove " + std::to_string(global.x()) + " " +
               std::to_string(global.y()) + " click " + std::to_string(button));
  }
  static void ClickOn(QWidget* widget) { ClickAt(widget->mapToGlobal(widget->rect().center())); }
  static void AskWindowManagerToMaximise(WId id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    auto atom = [&](const char* name) {
      auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
      std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
          xcb_intern_atom_reply(connection, cookie, nullptr), &free);
      return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(id);
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = 1;  // add
    event.data.data32[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    event.data.data32[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    event.data.data32[3] = 2;  // from a pager
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
  }
  std::unique_ptr<TConfig> SavedConfig() {
    auto config = std::make_unique<TConfig>();
    config->Load(TConfig::GetFileName());
    return config;
  }
  QRect Saved(const TConfig& c) {
    return QRect(c.WindowPosition.Left, c.WindowPosition.Top, c.WindowPosition.Width,
                 c.WindowPosition.Height);
  }
};

TEST_F(WindowTest, OpensCentredAndStayOnTopSwitchesAboveInPlace) {
  server.Register();
  StartForm();
  ASSERT_TRUE(WaitFor(3000, [&] { return form->frameGeometry() != form->geometry(); }));
  EXPECT_EQ(form->geometry().size(), QSize(228, 286));
  const QPoint screenCentre = form->screen()->availableGeometry().center();
  EXPECT_LE((form->frameGeometry().center() - screenCentre).manhattanLength(), 30);

  const WId id = form->winId();
  EXPECT_FALSE(Above(id));
  ClickOn(form->ToolButton2);
  EXPECT_TRUE(WaitFor(3000, [&] { return Above(id); }));
  EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
  // The same X window, still shown: no re-creation behind the flag.
  EXPECT_EQ(form->winId(), id);
  EXPECT_TRUE(form->isVisible());

  ClickOn(form->ToolButton2);
  EXPECT_TRUE(WaitFor(3000, [&] { return !Above(id); }));
  EXPECT_FALSE(form->ActionViewStayOnTop->isChecked());

  // Stored at close, and the next start is on top from its first idle pass.
  ClickOn(form->ToolButton2);
  ASSERT_TRUE(WaitFor(3000, [&] { return Above(id); }));
  form->close();
  EXPECT_TRUE(SavedConfig()->ShowStayOnTop);
  form.reset();
  StartForm();
  EXPECT_TRUE(WaitFor(3000, [&] { return Above(form->winId()); }));
}

TEST_F(WindowTest, PlacementSurvivesCloseAndStart) {
  struct Case {
    const char* name;
    int state;
    bool byWindowManager;
  };
  for (const Case& c :
       {Case{"normal", 0, false}, Case{"maximised", 2, false},
        Case{"maximised by the window manager", 2, true}, Case{"minimised", 1, true}}) {
    SCOPED_TRACE(c.name);
    RunCommand("xdotool mousemove 1000 740");  // the pointer away from every title bar
    const QRect bounds(260, 170, 320, 380);
    WriteConfig([&](TConfig& config) {
      config.WindowPositionRestore = true;
      config.WindowPosition = {200, 150, 300, 360};
    });
    server.Register();
    StartForm();
    // Qt takes a requested geometry at once; the window manager's answers come later.
    Settle();
    // The saved frame is applied as it is: frame position and size, not the client's.
    ASSERT_TRUE(WaitFor(3000, [&] { return form->frameGeometry() == QRect(200, 150, 300, 360); }))
        << form->frameGeometry().x() << "," << form->frameGeometry().y() << " "
        << form->frameGeometry().width() << "x" << form->frameGeometry().height();
    form->move(bounds.topLeft());
    form->resize(bounds.size() - (form->frameGeometry().size() - form->size()));
    Settle();
    ASSERT_TRUE(WaitFor(3000, [&] { return form->frameGeometry() == bounds; }));

    if (c.state == 2) {
      if (c.byWindowManager) {
        // As a pager or the title bar's button asks: the window manager maximises, and the
        // program learns of it afterwards.
        AskWindowManagerToMaximise(form->winId());
      } else {
        form->showMaximized();
      }
      ASSERT_TRUE(WaitFor(3000, [&] {
        return form->isMaximized() && form->frameGeometry().width() > bounds.width();
      }));
    } else if (c.state == 1) {
      RunCommand("xdotool windowminimize " + Hex(form->winId()));
      ASSERT_TRUE(WaitFor(3000, [&] { return form->isMinimized(); }));
    }
    form->close();
    const auto saved = SavedConfig();
    EXPECT_EQ(saved->GetWindowState(), c.state);
    EXPECT_EQ(Saved(*saved), bounds);
    form.reset();

    StartForm();
    if (c.state == 2) {
      EXPECT_TRUE(WaitFor(3000, [&] { return form->isMaximized(); }));
      form->showNormal();
    } else if (c.state == 1) {
      EXPECT_TRUE(WaitFor(3000, [&] { return form->isMinimized(); }));
      form->showNormal();
    }
    EXPECT_TRUE(WaitFor(3000, [&] { return form->frameGeometry() == bounds; }))
        << form->frameGeometry().x() << "," << form->frameGeometry().y() << " "
        << form->frameGeometry().width() << "x" << form->frameGeometry().height();
    form.reset();
  }
}

TEST_F(WindowTest, MovedNearAnEdgeSnapsOntoIt) {
  server.Register();
  StartForm();
  Settle();
  const QRect area = form->screen()->availableGeometry();
  const QSize size = form->frameGeometry().size();
  // Moved by the window manager, as a drag would: 6 px from the left edge lands on it.
  RunCommand("xdotool windowmove " + Hex(form->winId()) + " " + std::to_string(area.left() + 6) +
             " 300");
  EXPECT_TRUE(WaitFor(3000, [&] { return form->frameGeometry().left() == area.left(); }))
      << form->frameGeometry().left();
  EXPECT_EQ(form->frameGeometry().size(), size);
  // Far from every edge it stays where it was put.
  RunCommand("xdotool windowmove " + Hex(form->winId()) + " 300 300");
  Settle();
  EXPECT_GT(form->frameGeometry().left(), area.left() + 100);
}

TEST_F(WindowTest, MinimisedIntoTheTrayAndBackByAClick) {
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  WriteConfig([](TConfig& config) { config.InTaskTray = true; });
  server.Register();
  StartForm();
  const WId id = form->winId();
  EXPECT_FALSE(form->TrayIcon1->isVisible());

  RunCommand("xdotool windowminimize " + Hex(id));
  ASSERT_TRUE(WaitFor(3000, [&] { return !form->isVisible(); }));
  EXPECT_TRUE(form->TrayIcon1->isVisible());
  ASSERT_TRUE(ClickTrayIcon(form->TrayIcon1, 1));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->isVisible() && !form->isMinimized(); }));
  EXPECT_FALSE(form->TrayIcon1->isVisible());
  // In front: the window manager has made it the active window.
  EXPECT_TRUE(WaitFor(3000, [&] {
    return RunCommand("xprop -root _NET_ACTIVE_WINDOW").find(Hex(form->winId())) !=
           std::string::npos;
  }));
}

}  // namespace
}  // namespace kestrine::test
