// The general settings, version and help commands of the main window: their dialogs, the
// stay-on-top switch around them, and the hotkey steps that follow.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include "GuiFixture.h"
#include "app/AppInfo.h"
#include "app/FormAboutBox.h"
#include "settings/FormConfigGeneral.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kFailed[] = "ホットキーのシステムへの登録に失敗しました。";

// Runs `step` on the first modal widget that opens, from a timer inside its event loop; a
// widget still open after five seconds is closed and the test fails.
class ModalAnswer {
 public:
  explicit ModalAnswer(std::function<void(QWidget*)> step) : step_(std::move(step)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      poll_.stop();
      step_(modal);
      ran_ = true;
    });
    QObject::connect(&backstop_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal widget was left open";
        modal->close();
      }
    });
    poll_.start(10);
    backstop_.setSingleShot(true);
    backstop_.start(5000);
  }
  bool Ran() const { return ran_; }

 private:
  std::function<void(QWidget*)> step_;
  bool ran_ = false;
  QTimer poll_, backstop_;
};

// Takes the desktop's part for file URLs: records what would have been opened.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
  ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

// Notes whether the window was on top while each warning box was open; the fixture still
// records the box.
class OnTopAtWarnings {
 public:
  explicit OnTopAtWarnings(std::function<bool()> onTop) {
    previous_ = kestrine::app::SetWarningBoxFunction(
        [this, onTop = std::move(onTop)](QWidget* parent, const QString& text) {
          values.push_back(onTop());
          previous_(parent, text);
        });
  }
  ~OnTopAtWarnings() { kestrine::app::SetWarningBoxFunction(std::move(previous_)); }
  std::vector<bool> values;

 private:
  kestrine::app::WarningBoxFunction previous_;
};

class SettingsAndHelpTest : public GuiTest {
 protected:
  // A window on top, as the settings left it at the last close.
  TFormMain& StartOnTop(const std::function<void(TConfig&)>& change = {}) {
    WriteConfig([&](TConfig& config) {
      config.ShowStayOnTop = true;
      if (change) change(config);
    });
    server.Register();
    StartForm();
    EXPECT_TRUE(OnTop());
    return *form;
  }
  bool OnTop() const {
    return form->ActionViewStayOnTop->isChecked() &&
           (form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  }
  bool NotOnTop() const {
    return !form->ActionViewStayOnTop->isChecked() &&
           !(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  }
  // Opens the settings dialog through its action; `change` runs on the open dialog, which the
  // OK or the cancel button then closes.
  void RunSettings(const std::function<void(TFormConfigGeneral&)>& change, bool ok) {
    ModalAnswer answer([&](QWidget* modal) {
      auto* dialog = qobject_cast<TFormConfigGeneral*>(modal);
      ASSERT_NE(dialog, nullptr);
      EXPECT_TRUE(NotOnTop()) << "the owner stays on top of its own dialog";
      if (change) change(*dialog);
      QTest::mouseClick(ok ? dialog->BitBtn1 : dialog->BitBtn2, Qt::LeftButton);
    });
    form->ActionConfigGeneral->trigger();
    EXPECT_TRUE(answer.Ran());
  }
};

TEST_F(SettingsAndHelpTest, CancelLeavesSettingsAndHotkeyAlone) {
  StartOnTop([](TConfig& config) {
    config.InTaskTray = true;
    config.SetHotKeyCodeIndex(52);
  });
  form->SetStatusText(QStringLiteral("before"));

  RunSettings(
      [](TFormConfigGeneral& dialog) {
        // Loaded from the window's settings, then changed everywhere.
        EXPECT_FALSE(dialog.CheckBoxWindowPositionRestore->isChecked());
        EXPECT_TRUE(dialog.CheckBoxInTaskTray->isChecked());
        EXPECT_FALSE(dialog.CheckBoxUseHotKey->isChecked());
        EXPECT_EQ(dialog.ComboBoxHotKeyCode->currentIndex(), 52);
        dialog.CheckBoxWindowPositionRestore->setChecked(true);
        dialog.CheckBoxInTaskTray->setChecked(false);
        dialog.CheckBoxUseHotKey->setChecked(true);
        dialog.ComboBoxHotKeyCode->setCurrentIndex(3);
      },
      false);

  const TConfig& config = form->GetConfig();
  EXPECT_FALSE(config.WindowPositionRestore);
  EXPECT_TRUE(config.InTaskTray);
  EXPECT_FALSE(config.UseHotKey);
  EXPECT_EQ(config.GetHotKeyCodeIndex(), 52);
  EXPECT_EQ(Q8(form->GetStatusText()), "before");
  EXPECT_THAT(warnings, IsEmpty());
  EXPECT_TRUE(OnTop());
}

TEST_F(SettingsAndHelpTest, OkStoresThenRestoresStayOnTopThenAppliesTheHotkey) {
  StartOnTop();
  OnTopAtWarnings onTop([this] { return OnTop(); });

  RunSettings(
      [](TFormConfigGeneral& dialog) {
        dialog.CheckBoxWindowPositionRestore->setChecked(true);
        dialog.CheckBoxUseHotKey->setChecked(true);
        dialog.ComboBoxHotKeyCode->setCurrentIndex(26);
      },
      true);

  const TConfig& config = form->GetConfig();
  EXPECT_TRUE(config.WindowPositionRestore);
  EXPECT_TRUE(config.UseHotKey);
  EXPECT_EQ(config.GetHotKeyCodeIndex(), 26);
  // No global keys offscreen: one box, and the status text only after it closed.
  ASSERT_THAT(WarningTexts(), ElementsAre(kFailed));
  EXPECT_NE(Q8(warnings[0].statusText), kFailed);
  EXPECT_THAT(onTop.values, ElementsAre(true));
  EXPECT_EQ(Q8(form->GetStatusText()), kFailed);
  EXPECT_EQ(form->GetHotKeyId(), 0);
  EXPECT_TRUE(OnTop());

  // Nothing is registered, so switching the hotkey off withdraws nothing and says nothing.
  form->SetStatusText(QStringLiteral("before"));
  RunSettings([](TFormConfigGeneral& dialog) { dialog.CheckBoxUseHotKey->setChecked(false); },
              true);
  EXPECT_FALSE(form->GetConfig().UseHotKey);
  EXPECT_EQ(Q8(form->GetStatusText()), "before");
  EXPECT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(OnTop());
}

TEST_F(SettingsAndHelpTest, StartUpTriesTheHotkeyOnlyWhenItIsOn) {
  for (const bool use : {false, true}) {
    SCOPED_TRACE(use);
    WriteConfig([&](TConfig& config) { config.UseHotKey = use; });
    server.Register();
    warnings.clear();
    StartForm();
    EXPECT_EQ(form->GetHotKeyId(), 0);
    if (use) {
      EXPECT_THAT(WarningTexts(), ElementsAre(kFailed));
    } else {
      EXPECT_THAT(warnings, IsEmpty());
    }
    // The reload that follows has the last word in the status bar.
    EXPECT_EQ(Q8(form->GetStatusText()), "ブックを読み込みました。");
    form.reset();
  }
}

TEST_F(SettingsAndHelpTest, VersionBoxLeavesTheWindowOnTopAgain) {
  StartOnTop();
  ModalAnswer answer([&](QWidget* modal) {
    auto* box = qobject_cast<TFormAboutBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(NotOnTop());
    QTest::mouseClick(box->OKButton, Qt::LeftButton);
  });
  form->ActionHelpVersion->trigger();
  EXPECT_TRUE(answer.Ran());
  EXPECT_TRUE(OnTop());
  EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(SettingsAndHelpTest, UnreadableVersionDataIsReportedWithTheWindowOnTopAgain) {
  StartOnTop();
  struct NoVersionData {
    kestrine::app::VersionDataReader previous =
        kestrine::app::SetVersionDataReader([] { return nullptr; });
    ~NoVersionData() { kestrine::app::SetVersionDataReader(std::move(previous)); }
  } noVersionData;
  OnTopAtWarnings onTop([this] { return OnTop(); });

  form->ActionHelpVersion->trigger();

  EXPECT_THAT(WarningTexts(), ElementsAre("バージョン情報を取得できません"));
  EXPECT_THAT(onTop.values, ElementsAre(true));
  EXPECT_TRUE(OnTop());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(form->findChildren<TFormAboutBox*>().isEmpty());
}

TEST_F(SettingsAndHelpTest, HelpOpensTheFileBesideTheProgram) {
  server.Register();
  StartForm();
  UrlRecorder recorder;
  const QString helpFile = QCoreApplication::applicationFilePath() + QStringLiteral(".CHM");

  form->ActionHelpHelp->trigger();
  // F1 in the settings dialog asks for its topic; the viewer here opens the file for it.
  ModalAnswer answer([](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_F1);
    qobject_cast<QDialog*>(modal)->reject();
  });
  form->ActionConfigGeneral->trigger();
  EXPECT_TRUE(answer.Ran());
  // The main window has no topic: F1 there opens nothing.
  QTest::keyClick(form->TreeViewBook, Qt::Key_F1);

  ASSERT_EQ(recorder.urls.size(), 2u);
  for (const QUrl& url : recorder.urls) EXPECT_EQ(url.toLocalFile(), helpFile);
}

}  // namespace
}  // namespace kestrine::test

#include "SettingsAndHelpTest.moc"
