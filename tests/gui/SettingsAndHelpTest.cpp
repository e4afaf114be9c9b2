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
#include <filesystem>
#include <fstream>

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
  EXPECT_THAT(warnings.boxes, IsEmpty());
  EXPECT_TRUE(OnTop());
}

TEST_F(SettingsAndHelpTest, OkStoresThenRestoresStayOnTopThenAppliesTheHotkey) {
  StartOnTop();
  // Whether the window was on top while each box was open.
  std::vector<bool> onTop;
  const WarningBoxRecorder::Hook noteOnTop(warnings, [&] { onTop.push_back(OnTop()); });

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
  ASSERT_THAT(warnings.Texts(), ElementsAre(kFailed));
  EXPECT_NE(Q8(warnings.boxes[0].statusText), kFailed);
  EXPECT_THAT(onTop, ElementsAre(true));
  EXPECT_EQ(Q8(form->GetStatusText()), kFailed);
  EXPECT_EQ(form->GetHotKeyId(), 0);
  EXPECT_TRUE(OnTop());

  // Nothing is registered, so switching the hotkey off withdraws nothing and says nothing.
  form->SetStatusText(QStringLiteral("before"));
  RunSettings([](TFormConfigGeneral& dialog) { dialog.CheckBoxUseHotKey->setChecked(false); },
              true);
  EXPECT_FALSE(form->GetConfig().UseHotKey);
  EXPECT_EQ(Q8(form->GetStatusText()), "before");
  EXPECT_EQ(warnings.boxes.size(), 1u);
  EXPECT_TRUE(OnTop());
}

TEST_F(SettingsAndHelpTest, StartUpTriesTheHotkeyOnlyWhenItIsOn) {
  for (const bool use : {false, true}) {
    SCOPED_TRACE(use);
    WriteConfig([&](TConfig& config) { config.UseHotKey = use; });
    server.Register();
    warnings.boxes.clear();
    StartForm();
    EXPECT_EQ(form->GetHotKeyId(), 0);
    if (use) {
      EXPECT_THAT(warnings.Texts(), ElementsAre(kFailed));
    } else {
      EXPECT_THAT(warnings.boxes, IsEmpty());
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
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(SettingsAndHelpTest, UnreadableVersionDataIsReportedWithTheWindowOnTopAgain) {
  StartOnTop();
  struct NoVersionData {
    kestrine::app::VersionDataReader previous =
        kestrine::app::SetVersionDataReader([] { return nullptr; });
    ~NoVersionData() { kestrine::app::SetVersionDataReader(std::move(previous)); }
  } noVersionData;
  // Whether the window was on top while each box was open.
  std::vector<bool> onTop;
  const WarningBoxRecorder::Hook noteOnTop(warnings, [&] { onTop.push_back(OnTop()); });

  form->ActionHelpVersion->trigger();

  EXPECT_THAT(warnings.Texts(), ElementsAre("バージョン情報を取得できません"));
  EXPECT_THAT(onTop, ElementsAre(true));
  EXPECT_TRUE(OnTop());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(form->findChildren<TFormAboutBox*>().isEmpty());
}

// A program folder with help pages laid out as in a build tree or as installed.
class HelpLayout {
 public:
  // `programDir` and `helpDir` relative to a temporary folder; an empty `helpDir` makes none.
  HelpLayout(const std::string& programDir, const std::string& helpDir) {
    std::filesystem::create_directories(dir_.Path() / programDir);
    if (!helpDir.empty()) {
      help_ = dir_.Path() / helpDir;
      std::filesystem::create_directories(help_);
      for (const char* page : {"index.html", "settings.html", "bookmark-edit.html"}) {
        std::ofstream(help_ / page) << "<html></html>";
      }
    }
    previous_ = kestrine::app::GetHelpFile();
    kestrine::app::SetHelpFile(dir_.File(programDir + "/kestrine.CHM"));
  }
  ~HelpLayout() { kestrine::app::SetHelpFile(previous_); }
  std::string Page(const char* name) const { return (help_ / name).lexically_normal().string(); }

 private:
  TempDir dir_;
  std::filesystem::path help_;
  UnicodeString previous_;
};

std::vector<std::string> LocalFiles(const std::vector<QUrl>& urls) {
  std::vector<std::string> files;
  for (const QUrl& url : urls) {
    files.push_back(
        std::filesystem::path(url.toLocalFile().toStdString()).lexically_normal().string());
  }
  return files;
}

// The Help button opens the start page, F1 in the two dialogs their own pages, F1 in the main
// window nothing; in a build tree the pages lie beside the program, installed under share/.
TEST_F(SettingsAndHelpTest, EachTopicOpensItsPageInBothLayouts) {
  server.AddBook("A.xlsx", {"S1"});
  server.SetActive(u"A.xlsx", u"S1", 1, 1);
  server.Register();
  StartForm();
  const auto pressF1 = [](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_F1);
    qobject_cast<QDialog*>(modal)->reject();
  };
  struct Case {
    const char* what;
    std::string programDir, helpDir;
  };
  for (const Case& c : {Case{"build tree", "build/src/app", "build/src/app/help"},
                        Case{"installed", "usr/bin", "usr/share/kestrine/help"}}) {
    SCOPED_TRACE(c.what);
    HelpLayout layout(c.programDir, c.helpDir);
    UrlRecorder recorder;

    form->ActionHelpHelp->trigger();
    ModalAnswer settings(pressF1);
    form->ActionConfigGeneral->trigger();
    EXPECT_TRUE(settings.Ran());
    ModalAnswer bookmark(pressF1);
    form->ActionBookmarkInsert->trigger();
    EXPECT_TRUE(bookmark.Ran());
    QTest::keyClick(form->TreeViewBook, Qt::Key_F1);

    EXPECT_THAT(LocalFiles(recorder.urls),
                ElementsAre(layout.Page("index.html"), layout.Page("settings.html"),
                            layout.Page("bookmark-edit.html")));
  }
  EXPECT_THAT(warnings.boxes, IsEmpty());
}

TEST_F(SettingsAndHelpTest, MissingPagesOrBrowserAreReported) {
  server.Register();
  StartForm();
  {
    HelpLayout layout("opt/bin", "");
    UrlRecorder recorder;
    form->ActionHelpHelp->trigger();
    EXPECT_THAT(recorder.urls, IsEmpty());
    ASSERT_EQ(warnings.boxes.size(), 1u);
    const QString text = warnings.boxes[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("ヘルプが見つかりません。\n"))) << Q8(text);
    // Both places looked in are named.
    EXPECT_TRUE(text.contains(QStringLiteral("/opt/bin/help/index.html"))) << Q8(text);
    EXPECT_TRUE(text.contains(QStringLiteral("/opt/share/kestrine/help/index.html"))) << Q8(text);
  }
  // Pages there, but nothing takes file URLs: offscreen Qt has no desktop services.
  warnings.boxes.clear();
  HelpLayout layout("usr/bin", "usr/share/kestrine/help");
  ModalAnswer settings([](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_F1);
    qobject_cast<QDialog*>(modal)->reject();
  });
  form->ActionConfigGeneral->trigger();
  EXPECT_TRUE(settings.Ran());
  ASSERT_EQ(warnings.boxes.size(), 1u);
  EXPECT_EQ(Q8(warnings.boxes[0].text),
            "ヘルプを開けませんでした。\n" + layout.Page("settings.html"));
}

}  // namespace
}  // namespace kestrine::test

#include "SettingsAndHelpTest.moc"
