// The finder's own hotkey on a real X server: it brings the finder up in front of another
// program, with the keyboard in its box, also while the main window is in the tray.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "GuiFixture.h"
#include "app/FormFinder.h"
#include "settings/FormConfigGeneral.h"
#include "support/ChildProcess.h"
#include "support/XDisplay.h"

namespace kestrine::test {
namespace {

using ::testing::IsEmpty;

constexpr int kCtrlAltA = 26, kCtrlAltF = 31;

class FinderHotKeyTest : public GuiTest {
 protected:
  static std::string Hex(WId id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(id));
    return text;
  }
  static bool IsActive(const std::string& window) {
    const std::string active = RunCommand("xprop -root _NET_ACTIVE_WINDOW");
    return !window.empty() && active.find(window + "\n") != std::string::npos;
  }
  // The other program's window, made the active one.
  static std::string ActivateOther() {
    std::string id = RunCommand("xdotool search --sync --name '^other$' | head -n 1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    if (id.empty()) return id;
    RunCommand("xdotool windowactivate --sync " + id);
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", std::stoul(id));
    return text;
  }
  TFormFinder& Finder() const { return *form->GetFinder(); }
  bool FinderHasTheKeyboard() const {
    return form->GetFinder() && Finder().isVisible() && Finder().isActiveWindow() &&
           Finder().EditQuery->hasFocus() && IsActive(Hex(Finder().winId()));
  }
  // Types into whatever window has the keyboard, then checks the box got it.
  void TypeAndCheck(const char* keys, const char* expected) {
    RunCommand(std::string("xdotool type --delay 30 ") + keys);
    EXPECT_TRUE(WaitFor(2000, [&] { return Q8(Finder().EditQuery->text()) == expected; }))
        << Q8(Finder().EditQuery->text());
  }
};

TEST_F(FinderHotKeyTest, OpensInFrontOfAnotherProgramAndFromTheTray) {
  ASSERT_TRUE(WaitFor(5000, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  WriteConfig([](TConfig& config) {
    config.InTaskTray = true;
    config.UseHotKey = true;
    config.SetHotKeyCodeIndex(kCtrlAltA);
    config.SetFinderHotKey(true, kCtrlAltF);
  });
  server.AddBook("A.xlsx", {"Sales", "Costs"});
  server.SetActive(u"A.xlsx", u"Sales", 1, 1);
  server.Register();
  StartForm();
  EXPECT_THAT(warnings.boxes, IsEmpty());

  // Another program with a window of its own.
  const ChildProcess other({"xmessage", "-title", "other", "-geometry", "300x80+40+40", "other"});
  const std::string otherWindow = ActivateOther();
  ASSERT_TRUE(WaitFor(3000, [&] { return IsActive(otherWindow); })) << otherWindow;

  RunCommand("xdotool mousemove 200 150 key ctrl+alt+f");
  ASSERT_TRUE(WaitFor(3000, [&] { return FinderHasTheKeyboard(); }));
  // Centred on the pointer's screen.
  const QRect area = Finder().screen()->availableGeometry();
  EXPECT_LE((Finder().frameGeometry().center() - area.center()).manhattanLength(), 40);
  TypeAndCheck("cos", "cos");
  RunCommand("xdotool key Escape");
  ASSERT_TRUE(WaitFor(2000, [&] { return !Finder().isVisible(); }));
  EXPECT_THAT(server.CallStrings(), testing::Not(testing::Contains("Window.BringToFront()")));

  // The main window in the tray, the other program in front again.
  RunCommand("xdotool windowminimize " + Hex(form->winId()));
  ASSERT_TRUE(WaitFor(3000, [&] { return !form->isVisible() && form->TrayIcon1->isVisible(); }));
  ActivateOther();
  ASSERT_TRUE(WaitFor(3000, [&] { return IsActive(otherWindow); }));

  server.ClearCalls();
  RunCommand("xdotool key ctrl+alt+f");
  ASSERT_TRUE(WaitFor(3000, [&] { return FinderHasTheKeyboard(); }));
  EXPECT_FALSE(form->isVisible()) << "the main window stays in the tray";
  TypeAndCheck("cos", "cos");
  RunCommand("xdotool key Return");
  ASSERT_TRUE(WaitFor(3000, [&] { return server.bringToFrontCount > 0; }));
  EXPECT_FALSE(Finder().isVisible());
  EXPECT_EQ(server.activeSheet, 1) << "A.xlsx!Costs";
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(FinderHotKeyTest, TheTwoHotKeysSwapTheirCombinationsInOneGo) {
  WriteConfig([](TConfig& config) {
    config.UseHotKey = true;
    config.SetHotKeyCodeIndex(kCtrlAltA);
    config.SetFinderHotKey(true, kCtrlAltF);
  });
  server.AddBook("A.xlsx", {"Sales"});
  server.Register();
  StartForm();

  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TFormConfigGeneral*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    dialog->ComboBoxHotKeyCode->setCurrentIndex(kCtrlAltF);
    dialog->ComboBoxFinderHotKeyCode->setCurrentIndex(kCtrlAltA);
    dialog->BitBtn1->click();
  });
  answer.start(50);
  form->ActionConfigGeneral->trigger();
  // Neither found the other still holding its new combination.
  EXPECT_THAT(warnings.boxes, IsEmpty());
  EXPECT_GT(form->GetHotKeyId(), 0);

  RunCommand("xdotool key ctrl+alt+a");
  EXPECT_TRUE(WaitFor(3000, [&] { return FinderHasTheKeyboard(); }));
  RunCommand("xdotool key Escape");
  ASSERT_TRUE(WaitFor(2000, [&] { return !Finder().isVisible(); }));
  RunCommand("xdotool key ctrl+alt+f");
  EXPECT_TRUE(WaitFor(3000, [&] { return form->PopupMenuTrayIcon->isVisible(); }));
  form->PopupMenuTrayIcon->hide();
  EXPECT_FALSE(Finder().isVisible()) << "the tray menu's combination does not open the finder";
}

}  // namespace
}  // namespace kestrine::test
