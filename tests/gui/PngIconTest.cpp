// The icons read from the resources' PNG files: the images Qt itself reads from them, read
// when they are first needed.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "app/PngIcon.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;

const QStringList kAppFiles = {":/icons/app-16.png", ":/icons/app-32.png", ":/icons/app-48.png",
                               ":/icons/app-256.png"};

QIcon ReadByQt(const QStringList& files) {
  QIcon icon;
  for (const QString& file : files) icon.addFile(file);
  return icon;
}

QImage Painted(const QIcon& icon, const QRect& rect, QIcon::Mode mode) {
  QImage image(320, 320, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  icon.paint(&painter, rect, Qt::AlignCenter, mode);
  return image;
}

TEST(PngIconTest, DeferredIconGivesWhatQtReadsFromTheFiles) {
  const QIcon deferred = app::DeferredPngIcon(kAppFiles);
  const QIcon reference = ReadByQt(kAppFiles);
  EXPECT_EQ(deferred.availableSizes(), reference.availableSizes());
  for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
    for (const int extent : {8, 16, 20, 32, 40, 48, 100, 256, 300}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << ", extent " << extent);
      const QSize size(extent, extent);
      EXPECT_EQ(deferred.actualSize(size, mode), reference.actualSize(size, mode));
      for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap got = deferred.pixmap(size, ratio, mode);
        const QPixmap want = reference.pixmap(size, ratio, mode);
        EXPECT_EQ(got.devicePixelRatio(), want.devicePixelRatio()) << "ratio " << ratio;
        EXPECT_EQ(got.toImage(), want.toImage()) << "ratio " << ratio;
      }
      const QRect rect(3, 5, extent, extent + 7);
      EXPECT_EQ(Painted(deferred, rect, mode), Painted(reference, rect, mode));
    }
  }
}

TEST(PngIconTest, DeferredIconReadsItsFilesWhenFirstAsked) {
  TempDir dir;
  const QString late = QString::fromStdString((dir.Path() / "late.png").string());
  const QIcon icon = app::DeferredPngIcon({late});
  EXPECT_FALSE(icon.isNull());
  ASSERT_TRUE(QFile::copy(":/icons/app-32.png", late));
  EXPECT_THAT(icon.availableSizes(), ElementsAre(QSize(32, 32)));

  // A copy that is changed gets an engine of its own; the original stays as it was.
  QIcon changed = icon;
  changed.addPixmap(app::ReadPng(":/icons/app-16.png"));
  EXPECT_THAT(changed.availableSizes(), ElementsAre(QSize(32, 32), QSize(16, 16)));
  EXPECT_THAT(icon.availableSizes(), ElementsAre(QSize(32, 32)));
}

TEST(PngIconTest, MissingOrForeignFilesGiveNothing) {
  for (const QString& file : kAppFiles) {
    EXPECT_EQ(app::ReadPng(file).toImage(), QPixmap(file).toImage()) << file.toStdString();
  }
  TempDir dir;
  const QString text = QString::fromStdString((dir.Path() / "text.png").string());
  QFile out(text);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("not an image");
  out.close();
  for (const QString& file : {QStringLiteral(":/icons/none.png"), text}) {
    SCOPED_TRACE(file.toStdString());
    EXPECT_TRUE(app::ReadPng(file).isNull());
    EXPECT_TRUE(app::PngIcon(file).isNull());
    const QIcon deferred = app::DeferredPngIcon({file});
    EXPECT_TRUE(deferred.pixmap(16).isNull());
    EXPECT_TRUE(deferred.isNull());
  }
  EXPECT_TRUE(app::DeferredPngIcon({}).isNull());
}

class WindowIconsTest : public GuiTest {};

TEST_F(WindowIconsTest, WindowAndTrayShowTheProgramIconInAllItsSizes) {
  server.Register();
  StartForm();
  const auto sizes = ElementsAre(QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(256, 256));
  EXPECT_THAT(form->windowIcon().availableSizes(), sizes);
  EXPECT_THAT(form->TrayIcon1->icon().availableSizes(), sizes);
  for (const QIcon& icon : form->ImageList1)
    EXPECT_THAT(icon.availableSizes(), ElementsAre(QSize(16, 16)));
  for (const QIcon& icon : form->ImageListExcelNode) {
    EXPECT_THAT(icon.availableSizes(), ElementsAre(QSize(16, 16)));
  }
}

}  // namespace
}  // namespace kestrine::test
