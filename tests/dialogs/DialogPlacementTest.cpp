#include <gtest/gtest.h>

#include <QScreen>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/FormAboutBox.h"
#include "bookmarks/FormBookmarkItemEdit.h"
#include "settings/FormConfigGeneral.h"

namespace kestrine::test {
namespace {

TEST(DialogPlacementTest, DialogsOpenCentredOnTheScreenNotOverTheirOwner) {
  QWidget owner;
  owner.setGeometry(0, 0, 200, 100);
  owner.show();
  const std::function<std::unique_ptr<QWidget>()> makers[] = {
      [&] { return std::make_unique<TFormBookmarkItemEdit>(&owner); },
      [&] { return std::make_unique<TFormConfigGeneral>(&owner); },
      [&] { return std::make_unique<TFormAboutBox>(&owner); },
  };
  for (const auto& make : makers) {
    const std::unique_ptr<QWidget> dialog = make();
    SCOPED_TRACE(dialog->objectName().toStdString());
    dialog->show();
    const QPoint centre = dialog->screen()->availableGeometry().center();
    EXPECT_LE((dialog->geometry().center() - centre).manhattanLength(), 4);
  }
}

}  // namespace
}  // namespace kestrine::test
