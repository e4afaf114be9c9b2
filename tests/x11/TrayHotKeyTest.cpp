// The tray menu opened by the real global hotkey and by a right click on the real tray icon.
#include <xcb/xcb.h>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "GuiFixture.h"
#include "TrayIconClick.h"
#include "settings/FormConfigGeneral.h"
#include "support/ChildProcess.h"
#include "support/XDisplay.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kCtrlAltA = 26, kCtrlAltB = 27;

class TrayHotKeyTest : public GuiTest {
 protected:
  static std::string ActiveWindow() { return RunCommand("xprop -root _NET_ACTIVE_WINDOW"); }
  bool MenuOpen() const { return form->PopupMenuTrayIcon->isVisible(); }
  void CloseMenu() {
    form->PopupMenuTrayIcon->hide();
    RunFor(200);
  }
  // Menu entries chosen by their access keys: "ブック(&E)", then the book's and the sheet's digit.
  void ChooseSheet(const char* book, const char* sheet) {
    for (const char* key : {"e", book, sheet}) {
      RunCommand(std::string("xdotool key ") + key);
      RunFor(200);
    }
  }
  void Scenario();
  // The last window of the stacking order that is no dock (the tray host stays above all).
  static std::string TopmostClient(const std::string& stacking) {
    std::string top;
    for (size_t at = stacking.find("0x"); at != std::string::npos; at = stacking.find("0x", at)) {
      const size_t end = stacking.find_first_of(", \n", at);
      const std::string id = stacking.substr(at, end - at);
      at = end;
      if (RunCommand("xprop -id " + id + " _NET_WM_WINDOW_TYPE").find("DOCK") == std::string::npos)
        top = id;
    }
    return top;
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

void TrayHotKeyTest::Scenario() {
  RunCommand("xdotool windowminimize " + std::to_string(form->winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->TrayIcon1->isVisible() && !form->isVisible(); }));
  server.ClearCalls();
  // Another program is in front.
  ChildProcess other({"xmessage", "-geometry", "500x300+100+100", "other"});
  ASSERT_TRUE(WaitFor(3000, [] {
    return RunCommand("xdotool getactivewindow getwindowname").find("xmessage") !=
           std::string::npos;
  }));

  // The menu opens at the pointer, and a sheet entry jumps; the window stays in the tray.
  RunCommand("xdotool mousemove 300 200 key ctrl+alt+a");
  ASSERT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
  EXPECT_EQ(form->PopupMenuTrayIcon->pos(), QPoint(300, 200));
  ChooseSheet("1", "2");
  ASSERT_TRUE(WaitFor(3000, [&] { return server.bringToFrontCount == 1; }));
  EXPECT_EQ(server.ActiveSheet(), "A.xlsx!S2");
  EXPECT_FALSE(form->isVisible());

  // The workbook is closed since the last reload: the jump warns in a box of its own, which
  // runs its own loop. What it looks like is read from there, and the user answers it.
  server.books.clear();
  server.activeBook = -1;
  struct {
    bool shown = false, active = false;
    std::string title, stacking, id;
    bool textEmpty = true;
    QPoint offCentre;
  } box;
  QElapsedTimer clock;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!modal || !modal->isVisible()) return;
    if (!clock.isValid()) clock.start();
    // The window manager may place it in more than one step: what counts is where it settles.
    const QPoint offCentre =
        modal->frameGeometry().center() - modal->screen()->availableGeometry().center();
    const bool settled = modal->isActiveWindow() && offCentre.manhattanLength() <= 12;
    if (!settled && clock.elapsed() < 3000) return;
    look.stop();
    box.shown = true;
    box.active = modal->isActiveWindow();
    box.title = Q8(modal->windowTitle());
    box.textEmpty = modal->text().isEmpty();
    box.offCentre = offCentre;
    box.stacking = RunCommand("xprop -root _NET_CLIENT_LIST_STACKING");
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(modal->winId()));
    box.id = id;
    RunCommand("xdotool key Return");
    // Should the key not reach it, the box must not hang the run.
    QTimer::singleShot(3000, modal, [modal] { modal->reject(); });
  });
  look.start(50);
  {
    const RealWarningBoxes realBox;
    RunCommand("xdotool key ctrl+alt+a");
    ASSERT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
    ChooseSheet("1", "1");
    WaitFor(3000, [&] { return box.shown && !QApplication::activeModalWidget(); });
  }
  ASSERT_TRUE(box.shown) << "no warning box";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Return did not answer the box";
  EXPECT_TRUE(box.active);
  EXPECT_EQ(box.title, "警告");
  EXPECT_FALSE(box.textEmpty);
  // Centred on the screen, not on the hidden window's last place, and on top of the stack.
  EXPECT_LE(box.offCentre.manhattanLength(), 12) << box.offCentre.x() << "," << box.offCentre.y();
  EXPECT_EQ(TopmostClient(box.stacking), box.id) << box.stacking;
  RunFor(300);

  other.Stop();

  // Still running, and the tray icon still brings the window back.
  EXPECT_TRUE(form->TrayIcon1->isVisible());
  ASSERT_TRUE(ClickTrayIcon(form->TrayIcon1, 1));
  EXPECT_TRUE(WaitFor(3000, [&] { return form->isVisible(); }));
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(TrayHotKeyTest, HotKeyOpensTheMenuAtThePointerAndLeavesTheWindowsAsTheyAre) {
  StartWith(kCtrlAltA);
  EXPECT_THAT(warnings.boxes, IsEmpty());
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
  EXPECT_THAT(warnings.boxes, IsEmpty());
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
  EXPECT_THAT(warnings.Texts(), ElementsAre("ホットキーのシステムへの登録に失敗しました。"));
  EXPECT_EQ(form->GetHotKeyId(), 0);
}

TEST_F(TrayHotKeyTest, RightClickOnTheTrayIconOpensTheMenuAndASheetEntryJumps) {
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  StartWith(kCtrlAltA);
  RunCommand("xdotool windowminimize " + std::to_string(form->winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return form->TrayIcon1->isVisible() && !form->isVisible(); }));
  server.ClearCalls();

  ASSERT_TRUE(ClickTrayIcon(form->TrayIcon1, 3));
  ASSERT_TRUE(WaitFor(3000, [&] { return MenuOpen(); }));
  EXPECT_EQ(server.CallCount(), 0u) << "building the menu asked the spreadsheet";
  // Through the access keys: "ブック(&E)", the first book, its second sheet.
  for (const char* key : {"e", "1", "2"}) {
    RunCommand(std::string("xdotool key ") + key);
    RunFor(200);
  }
  ASSERT_TRUE(WaitFor(3000, [&] { return server.bringToFrontCount == 1; }));
  EXPECT_EQ(server.ActiveSheet(), "A.xlsx!S2");
  EXPECT_FALSE(form->isVisible());
}

// The hotkey's main use: the window is hidden in the tray and another program is in front.
// Run inside the application's own loop, where Qt would end the program when its last window
// closes.
TEST_F(TrayHotKeyTest, HotKeyFromTheTrayJumpsAndItsWarningNeverEndsTheProgram) {
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  StartWith(kCtrlAltA);
  struct QuitWatch : QObject {
    bool seen = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (watched == qApp && event->type() == QEvent::Quit) seen = true;
      return false;
    }
  } quitWatch;
  qApp->installEventFilter(&quitWatch);
  bool ended = false;
  QTimer::singleShot(0, [&] {
    Scenario();
    ended = true;
    qApp->removeEventFilter(&quitWatch);
    QCoreApplication::quit();
  });
  QApplication::exec();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(quitWatch.seen) << "closing the box asked the program to end";
}

}  // namespace
}  // namespace kestrine::test
