// The first idle pass: once, after the window is shown, in its order.
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include "GuiFixture.h"
#include "excel/Automation.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;

// Stands in front of the server and notes the window's state at the first call made to it.
class Observer : public AutomationObject {
 public:
  Observer(std::shared_ptr<AutomationObject> inner, std::function<void()> onFirstCall)
      : inner_(std::move(inner)), onFirstCall_(std::move(onFirstCall)) {}
  Variant Invoke(const UnicodeString& name, CallKind kind,
                 const std::vector<Variant>& args) override {
    if (onFirstCall_) std::exchange(onFirstCall_, nullptr)();
    return inner_->Invoke(name, kind, args);
  }

 private:
  std::shared_ptr<AutomationObject> inner_;
  std::function<void()> onFirstCall_;
};

class FirstIdleTest : public GuiTest {};

TEST_F(FirstIdleTest, RunsOnceAfterShowInOrder) {
  server.AddBook("A.xlsx", {"S1"});
  server.Register();
  WriteConfig([](TConfig& c) {
    c.WindowPositionRestore = true;
    c.WindowPosition = {40, 50, 300, 400};
    c.ShowStayOnTop = true;
    c.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"A.xlsx", u"S1", 0, 0));
  });

  struct Seen {
    QRect frame;
    bool stayOnTop = false;
    int bookmarkNodes = -1;
    bool bookmarkDisabled = false;
  } seen;
  auto active = GetActiveObject(u"Excel.Application");
  ASSERT_TRUE(active);
  RegisterActiveObject(
      u"Excel.Application",
      ActiveObject{std::make_shared<Observer>(active->application,
                                              [&] {
                                                seen.frame = form->frameGeometry();
                                                seen.stayOnTop =
                                                    form->ActionViewStayOnTop->isChecked();
                                                const auto* root = form->BookmarkRoot();
                                                seen.bookmarkNodes = root->childCount();
                                                seen.bookmarkDisabled =
                                                    root->childCount() &&
                                                    !TFormMain::IsNodeEnabled(root->child(0));
                                              }),
                   active->bringMainWindowToFront});

  form = std::make_unique<TFormMain>();
  QSignalSpy finished(form.get(), &TFormMain::FirstIdleFinished);
  // Not before the window is shown, however often the application goes idle.
  RunFor(100);
  EXPECT_TRUE(server.calls.empty());
  EXPECT_FALSE(form->FirstIdleDone());
  EXPECT_EQ(form->size(), QSize(228, 286));

  form->show();
  ASSERT_TRUE(WaitFor(5000, [&] { return form->FirstIdleDone(); }));

  // Placement, then stay-on-top, then the bookmark nodes (all greyed), then the reload,
  // which enables the bookmark whose workbook it listed.
  EXPECT_EQ(seen.frame, QRect(40, 50, 300, 400));
  EXPECT_TRUE(seen.stayOnTop);
  EXPECT_EQ(seen.bookmarkNodes, 1);
  EXPECT_TRUE(seen.bookmarkDisabled);
  EXPECT_TRUE(TFormMain::IsNodeEnabled(form->BookmarkRoot()->child(0)));
  EXPECT_TRUE(form->ActionViewStayOnTop->isChecked());
  EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);

  const size_t calls = server.calls.size();
  for (int i = 0; i < 5; ++i) {
    QTimer::singleShot(0, [] {});
    RunFor(20);
  }
  EXPECT_EQ(server.calls.size(), calls);
  EXPECT_EQ(finished.count(), 1);
}

TEST_F(FirstIdleTest, WithoutRestoreTheWindowKeepsItsDesignSizeAndIsNotOnTop) {
  server.Register();
  StartForm();
  EXPECT_EQ(form->size(), QSize(228, 286));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Kestrine"));
  EXPECT_FALSE(form->ActionViewStayOnTop->isChecked());
  EXPECT_FALSE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(form->GetHotKeyId(), 0);
}

TEST_F(FirstIdleTest, UnreadableConfigurationIsIgnored) {
  // A folder where the file should be: loading fails, and nobody hears of it.
  std::filesystem::create_directories(PathOf(TConfig::GetFileName()));
  server.Register();
  StartForm();
  EXPECT_TRUE(warnings.boxes.empty());
  EXPECT_EQ(form->BookmarkRoot()->childCount(), 0);
}

}  // namespace
}  // namespace kestrine::test
