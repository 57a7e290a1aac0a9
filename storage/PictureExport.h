// Picture files: the picture is written as a BMP file whatever the name's extension.
#pragma once

#include <string>

class QImage;

/// The picture name for the current snapshot name: FileName without its last four
/// characters followed by ".wmf", or a default Noname??.wmf name when FileName is empty.
std::string PictureNameFor(const std::string& FileName);

/// Writes the image as a BMP file, atomically. Throws FileError.
void WritePicture(const std::string& path, const QImage& image);
