// The tray menu opened by the real global hotkey and by a right click on the real tray icon.
#include <xcb/xcb.h>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "GuiFixture.h"
#include "XSession.h"
#include "settings/FormConfigGeneral.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kCtrlAltA = 26, kCtrlAltB = 27;

class TrayHotKeyTest : public GuiTest {
 protected:
  static bool WaitFor(int ms, const std::function<bool()>& done) {
    for (int waited = 0; waited < ms; waited += 50) {
      if (done()) return true;
      RunEventLoop(50);
    }
    return done();
  }
  static std::string ActiveWindow() { return RunCommand("xprop -root _NET_ACTIVE_WINDOW"); }
  bool MenuOpen() const { return form->PopupMenuTrayIcon->isVisible(); }
  void CloseMenu() {
    form->PopupMenuTrayIcon->hide();
    RunEventLoop(200);
  }
  // A window of this process, shown and activated.
  void StartWith(int hotKeyIndex) {
    WriteConfig([&](TConfig& config) {
      config.UseHotKey = true;
      config.SetHotKeyCodeIndex(hotKeyIndex);
      config.InTaskTray = true;
      config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"A.xlsx", u"S1", 0, 0));
    });
    server.AddBook("A.xlsx", {"S1", "S2"});
    server.Register();
    StartForm();
  }
};

TEST_F(TrayHotKeyTest, HotKeyOpensTheMenuAtThePointerAndLeavesTheWindowsAsTheyAre) {
  StartWith(kCtrlAltA);
  EXPECT_THAT(warnings, IsEmpty());
  EXPECT_GE(form->GetHotKeyId(), 1);
  EXPECT_LE(form->GetHotKeyId(), 100);

  // Another window is active; the hotkey must not change that nor move the main window.
  QWidget other;
  other.setWindowTitle(QStringLiteral("other"));
  other.resize(200, 100);
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  RunCommand("xdotool windowactivate --sync " + std::to_string(other.winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return other.isActiveWindow(); }));
  const std::string active = ActiveWindow();
  const QRect frame = form->frameGeometry();

  RunCommand("xdotool mousemove 300 200");
  RunCommand("xdotool key ctrl+alt+a");
  ASSERT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
  EXPECT_EQ(form->PopupMenuTrayIcon->pos(), QPoint(300, 200));
  ASSERT_EQ(form->PopupMenuTrayIconBookmark->actions().size(), 1);
  ASSERT_EQ(form->PopupMenuTrayIconBook->actions().size(), 1);
  EXPECT_EQ(form->PopupMenuTrayIconBook->actions()[0]->menu()->actions().size(), 2);
  EXPECT_EQ(ActiveWindow(), active);
  EXPECT_EQ(form->frameGeometry(), frame);
  CloseMenu();

  // OK in the settings dialog: the old combination is let go, the new one is grabbed.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TFormConfigGeneral*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    dialog->ComboBoxHotKeyCode->setCurrentIndex(kCtrlAltB);
    dialog->BitBtn1->click();
  });
  answer.start(50);
  form->ActionConfigGeneral->trigger();
  ASSERT_EQ(form->GetConfig().GetHotKeyCodeIndex(), kCtrlAltB);
  EXPECT_EQ(Q8(form->GetStatusText()), "ホットキーを登録しました。");
  RunCommand("xdotool key ctrl+alt+a");
  EXPECT_FALSE(WaitFor(500, [&] { return MenuOpen(); }));
  RunCommand("xdotool key ctrl+alt+b");
  EXPECT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
  CloseMenu();
  EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(TrayHotKeyTest, CombinationHeldByAnotherClientFailsRegistration) {
  // Another client holds Ctrl+Alt+A on the root window.
  std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> other(xcb_connect(nullptr, nullptr),
                                                                     &xcb_disconnect);
  ASSERT_FALSE(xcb_connection_has_error(other.get()));
  const xcb_setup_t* setup = xcb_get_setup(other.get());
  const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
  const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
  std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&free)> map(
      xcb_get_keyboard_mapping_reply(
          other.get(), xcb_get_keyboard_mapping(other.get(), setup->min_keycode, count), nullptr),
      &free);
  ASSERT_TRUE(map);
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
  xcb_keycode_t keyA = 0;
  for (int i = 0; i < xcb_get_keyboard_mapping_keysyms_length(map.get()) && !keyA; ++i) {
    if (syms[i] == 'a')
      keyA = static_cast<xcb_keycode_t>(setup->min_keycode + i / map->keysyms_per_keycode);
  }
  ASSERT_NE(keyA, 0);
  ASSERT_EQ(xcb_request_check(
                other.get(),
                xcb_grab_key_checked(other.get(), 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                     keyA, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            nullptr);

  StartWith(kCtrlAltA);
  EXPECT_THAT(WarningTexts(), ElementsAre("ホットキーのシステムへの登録に失敗しました。"));
  EXPECT_EQ(form->GetHotKeyId(), 0);
}

TEST_F(TrayHotKeyTest, RightClickOnTheTrayIconOpensTheMenuAndASheetEntryJumps) {
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  StartWith(kCtrlAltA);
  RunCommand("xdotool windowminimize " + std::to_string(form->winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->TrayIcon1->isVisible() && !form->isVisible(); }));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->TrayIcon1->geometry().isValid(); }));
  server.ClearCalls();

  const QPoint icon = form->TrayIcon1->geometry().center();
  RunCommand("xdotool mousemove " + std::to_string(icon.x()) + " " + std::to_string(icon.y()) +
             " click 3");
  ASSERT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
  EXPECT_EQ(server.CallCount(), 0u) << "building the menu asked the spreadsheet";
  // Through the access keys: "ブック(&E)", the first book, its second sheet.
  for (const char* key : {"e", "1", "2"}) {
    RunCommand(std::string("xdotool key ") + key);
    RunEventLoop(200);
  }
  ASSERT_TRUE(WaitFor(3000, [&] { return server.bringToFrontCount == 1; }));
  EXPECT_EQ(U8(server.books[static_cast<size_t>(server.activeBook)]
                   .sheets[static_cast<size_t>(server.activeSheet)]
                   .name),
            "S2");
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace kestrine::test
