// Picture files: the picture is written as a BMP file whatever the name's extension; the
// runner's frames are PNG files.
#pragma once

#include <QRect>
#include <string>

#include "storage/FileAccess.h"

class QImage;

/// The picture name for the current snapshot name: FileName without its last four
/// characters followed by ".wmf", or a default Noname??.wmf name when FileName is empty.
std::string PictureNameFor(const std::string& FileName);

/// Writes the image as a BMP file, atomically. Throws FileError.
void WritePicture(const std::string& path, const QImage& image);

/// A copy with one bit per pixel (0 black, 1 white) when every pixel is pure black or pure
/// white, as the drawing surface always is; a null image otherwise.
QImage BlackAndWhiteCopy(const QImage& image);
/// The same for an image that is black outside the rectangle inked, which alone is read.
QImage BlackAndWhiteCopy(const QImage& image, QRect inked);

/// The bytes of the PNG file that WritePicturePng writes; path is named in a failure.
/// Throws FileError.
Bytes EncodePicturePng(const std::string& path, const QImage& image);

/// Writes the image as a PNG file, atomically, compressed for speed. Throws FileError.
void WritePicturePng(const std::string& path, const QImage& image,
                     Durability durability = Durability::OnCommit);
