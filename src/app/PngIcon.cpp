#include "app/PngIcon.h"

#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <utility>

namespace kestrine::app {

namespace {

// Holds the file names until the first question, then answers everything from an ordinary
// icon of the images read.
class TDeferredPngIconEngine : public QIconEngine {
 public:
  explicit TDeferredPngIconEngine(const QStringList& fileNames) : fileNames_(fileNames) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    // rect is already fitted to actualSize(), so the centring moves nothing.
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  // At a device pixel ratio of 1 the icon hands the size to its engine as it is; the caller
  // has scaled it already and sets the pixmap's ratio itself.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, 1.0, mode, state);
  }
  // The size of the pixmap itself, so that the two always agree.
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return pixmap(size, mode, state).size();
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override {
    Icon().addPixmap(pixmap, mode, state);
  }
  void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode,
               QIcon::State state) override {
    Icon().addFile(fileName, size, mode, state);
  }
  // Before the files are read, an icon with files counts as an icon.
  bool isNull() override { return read_ ? icon_.isNull() : fileNames_.isEmpty(); }
  QIconEngine* clone() const override { return new TDeferredPngIconEngine(*this); }

 private:
  TDeferredPngIconEngine(const TDeferredPngIconEngine&) = default;

  QIcon& Icon() {
    if (!read_) {
      read_ = true;
      for (const QString& fileName : std::as_const(fileNames_)) icon_.addPixmap(ReadPng(fileName));
    }
    return icon_;
  }

  QStringList fileNames_;
  bool read_ = false;
  QIcon icon_;
};

}  // namespace

QPixmap ReadPng(const QString& fileName) {
  // Opened here: without format detection the reader would go on with a file it could not open.
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return QPixmap();
  QImageReader reader(&file, "png");
  reader.setAutoDetectImageFormat(false);
  return QPixmap::fromImage(reader.read());
}

QIcon PngIcon(const QString& fileName) {
  QIcon icon;
  icon.addPixmap(ReadPng(fileName));
  return icon;
}

QIcon DeferredPngIcon(const QStringList& fileNames) {
  return QIcon(new TDeferredPngIconEngine(fileNames));
}

}  // namespace kestrine::app
