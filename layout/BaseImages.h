// Base-plate pictures: the file name of base image k and a loader that only accepts files that
// hold a whole, decodable picture, so that a damaged file is treated as a missing one.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvi {

// BaseDir, a separator, "Base_", k in decimal and ".bmp".
QString BaseImagePath(const QString& baseDir, int k);

// The picture in the file, or a null image when the file is missing, unreadable, not a picture,
// or a bitmap whose pixel data is cut short. Footprints are loaded the same way.
QImage LoadBasePicture(const QString& path);

// False for a Windows bitmap whose headers promise more pixel data than the bytes hold (a copy
// cut short); true for complete bitmaps and for data that is not a bitmap at all.
bool BitmapDataComplete(const QByteArray& bytes);

}  // namespace korvi
