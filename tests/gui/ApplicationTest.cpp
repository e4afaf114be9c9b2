// The application object's catch-all, the warning box, and the small helpers of the window.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <stdexcept>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "GuiFixture.h"
#include "app/Application.h"
#include "app/CursorHourGlass.h"
#include "app/ScreenSnap.h"
#include "app/TreeNodeItemRAII.h"
#include "base/Exception.h"
#include "base/Notice.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;

class ApplicationTest : public GuiTest {};

// Unwinding through Qt's frames skips their cleanup, so what they held is lost. The test of
// the last resort does that on purpose; what it loses, from the widgets it made on, is not a
// finding.
class LeaksOfQtFramesIgnored {
 public:
  LeaksOfQtFramesIgnored() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
  }
  ~LeaksOfQtFramesIgnored() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
  }
  LeaksOfQtFramesIgnored(const LeaksOfQtFramesIgnored&) = delete;
  LeaksOfQtFramesIgnored& operator=(const LeaksOfQtFramesIgnored&) = delete;
};

TEST_F(ApplicationTest, ExceptionEscapingAHandlerIsShownAndTheProgramGoesOn) {
  const LeaksOfQtFramesIgnored ignored;
  QToolBar bar;
  QAction* action = bar.addAction(QStringLiteral("x"));
  int runs = 0;
  QObject::connect(action, &QAction::triggered, [&] {
    ++runs;
    if (runs == 1) throw Exception(u"ハンドラーが失敗しました。");
    if (runs == 2) throw std::runtime_error("not ours");
  });
  bar.show();
  QWidget* button = bar.widgetForAction(action);

  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(button, Qt::LeftButton);

  // The message of an Exception; anything else shows as an empty message.
  EXPECT_EQ(runs, 3);
  EXPECT_THAT(warnings.Texts(), ElementsAre("ハンドラーが失敗しました。", ""));
}

// A handler connected through Reported reports what it throws at the connection: the emit
// returns normally, with no exception left to cross Qt's frames.
TEST_F(ApplicationTest, ReportedHandlerReportsAtTheConnection) {
  QAction action;
  int runs = 0;
  QObject::connect(&action, &QAction::triggered, kestrine::app::Reported([&] {
    ++runs;
    throw Exception(u"ハンドラーが失敗しました。");
  }));
  EXPECT_NO_THROW(action.trigger());
  EXPECT_NO_THROW(action.trigger());
  EXPECT_EQ(runs, 2);
  EXPECT_THAT(warnings.Texts(),
              ElementsAre("ハンドラーが失敗しました。", "ハンドラーが失敗しました。"));
}

TEST_F(ApplicationTest, WarningBoxIsAModalWarningWithOneOkButton) {
  const RealWarningBoxes realBox;  // for once
  QString title, text, buttonText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  QTimer answer;
  answer.setInterval(20);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    buttonText = box->buttons().value(0)->text();
    box->buttons().value(0)->click();
  });
  answer.start();
  QTimer backstop;  // a box nobody answers must not hang the run
  backstop.setSingleShot(true);
  QObject::connect(&backstop, &QTimer::timeout, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  backstop.start(5000);

  // The core's notice comes through the same box.
  kestrine::ShowWarning(u"フォルダの作成に失敗しました。");

  EXPECT_EQ(title, QStringLiteral("警告"));
  EXPECT_EQ(text, QStringLiteral("フォルダの作成に失敗しました。"));
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(buttonText, QStringLiteral("OK"));
}

TEST_F(ApplicationTest, PointerOverAToolButtonShowsItsLongHint) {
  server.Register();
  StartForm();
  ASSERT_EQ(Q8(form->GetStatusText()), "ブックを読み込みました。");
  EXPECT_EQ(Q8(form->ToolButton1->toolTip()), "ブックの再読み込み");

  QTest::mouseMove(form->ToolButton1);
  EXPECT_TRUE(WaitFor(1000, [&] {
    return Q8(form->GetStatusText()) == "Excelに接続してブック情報を再読み込みします";
  })) << Q8(form->GetStatusText());
  QTest::mouseMove(form->TreeViewBook->viewport(), QPoint(100, 200));
  EXPECT_TRUE(WaitFor(1000, [&] { return form->GetStatusText().isEmpty(); }))
      << Q8(form->GetStatusText());
}

TEST(ScreenSnap, EdgesWithinTenPixelsLandOnTheWorkArea) {
  const QRect area(0, 0, 1000, 700);
  struct Case {
    QPoint at;
    QPoint expected;
  };
  const Case cases[] = {
      {{9, 200}, {0, 200}},      // left edge near
      {{10, 200}, {10, 200}},    // exactly 10 away: stays
      {{-9, 200}, {0, 200}},     // partly off screen
      {{300, 5}, {300, 0}},      // top
      {{765, 200}, {772, 200}},  // right edge 7 away (width 228)
      {{300, 410}, {300, 414}},  // bottom edge 4 away (height 286)
      {{5, 412}, {0, 414}},      // a corner snaps both ways
      {{0, 0}, {0, 0}},          // (0, 0) is left alone
      {{500, 300}, {500, 300}},  // far from every edge
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kestrine::app::SnapToWorkArea(QRect(c.at, QSize(228, 286)), area), c.expected)
        << c.at.x() << "," << c.at.y();
  }
  // A work area that does not start at the origin.
  EXPECT_EQ(kestrine::app::SnapToWorkArea(QRect(1925, 33, 228, 286), QRect(1920, 30, 800, 600)),
            QPoint(1920, 30));
}

TEST(ScopedHelpers, RestoreOnEveryWayOut) {
  QTreeWidget tree;
  try {
    TCursorHourGlass outer;
    {
      TCursorHourGlass inner;
      TTreeNodeItemRAII update(&tree);
      EXPECT_FALSE(tree.updatesEnabled());
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      throw Exception(u"x");
    }
  } catch (const Exception&) {
  }
  EXPECT_TRUE(tree.updatesEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Nested brackets leave updates off until the outer one ends.
  {
    TTreeNodeItemRAII outer(&tree);
    { TTreeNodeItemRAII inner(&tree); }
    EXPECT_FALSE(tree.updatesEnabled());
  }
  EXPECT_TRUE(tree.updatesEnabled());
}

}  // namespace
}  // namespace kestrine::test
