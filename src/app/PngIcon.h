#pragma once
// Icons from the PNG files of the resources.
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace kestrine::app {

// Reads a PNG file with Qt's own PNG reader. Left to itself, QImageReader first loads every
// image format plugin installed (GIF, ICO, JPEG, ...) to ask whether it wants the file.
// A file that is missing or not a PNG gives a null pixmap.
QPixmap ReadPng(const QString& fileName);

// An icon of one PNG file, read now.
QIcon PngIcon(const QString& fileName);

// An icon of PNG files of different sizes, read the first time the icon's images or sizes are
// asked for. The program's icon has a large image the main window never draws; the platform
// asks for the images when it shows the icon somewhere.
QIcon DeferredPngIcon(const QStringList& fileNames);

}  // namespace kestrine::app
