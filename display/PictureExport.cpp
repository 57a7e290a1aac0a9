// Picture names, BMP and PNG writing.
#include "display/PictureExport.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstring>

#include "core/FileError.h"
#include "storage/DefaultName.h"
#include "storage/FileAccess.h"

std::string PictureNameFor(const std::string& FileName) {
    if (FileName.empty()) return DefaultName(".wmf");
    // Four characters, not bytes: a Cyrillic name must not be cut inside a letter. When the
    // file name part is too short to lose four, the extension is appended instead, so the
    // picture never lands in the parent folder or becomes a hidden ".wmf".
    const QString name = QString::fromStdString(FileName);
    const qsizetype baseLength = name.size() - name.lastIndexOf('/') - 1;
    if (baseLength <= 4) return FileName + ".wmf";
    return name.left(name.size() - 4).toStdString() + ".wmf";
}

namespace {

// Encodes in memory; compression -1 keeps Qt's default. The path is named in a failure.
Bytes Encoded(const std::string& path, const QImage& image, const char* format, int compression) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (compression >= 0) writer.setCompression(compression);
    if (!writer.write(image))
        throw FileError(FileAction::Write, path, FileReason::Of(FileProblem::PictureNotEncoded));
    return Bytes(bytes.begin(), bytes.end());
}

void WriteEncoded(const std::string& path, const QImage& image, const char* format, int compression,
                  Durability durability = Durability::OnCommit) {
    const Bytes bytes = Encoded(path, image, format, compression);
    WriteFileAtomically(path, bytes.data(), bytes.size(), durability);
}

// Qt's PNG writer takes 0..100 and maps it onto zlib's levels 0..9: 20 is level 1, the
// fastest that compresses. A frame of a few hundred points then takes about 0.1 ms and
// 400 bytes; the default level takes half as long again for 100 bytes less.
constexpr int kPngCompression = 20;

constexpr QRgb kColourBits = 0xFFFFFF;

bool RowIsBlack(const QRgb* row, int width) {
    QRgb any = 0;
    for (int x = 0; x < width; ++x)
        any |= row[x];
    return (any & kColourBits) == 0;
}

// Packs one row, eight pixels to a byte, the leftmost in the high bit; false when a pixel
// is neither black nor white. Without branches inside, so that a row costs what it reads.
bool PackRow(const QRgb* row, int width, uchar* bits) {
    bool other = false;
    for (int x = 0; x < width; x += 8) {
        const int count = std::min(8, width - x);
        unsigned byte = 0;
        for (int b = 0; b < count; ++b) {
            const QRgb colour = row[x + b] & kColourBits;
            const bool white = colour == kColourBits;
            other |= !white & (colour != 0);
            byte = byte << 1 | static_cast<unsigned>(white);
        }
        bits[x / 8] = static_cast<uchar>(byte << (8 - count));
    }
    return !other;
}

}  // namespace

void WritePicture(const std::string& path, const QImage& image) {
    WriteEncoded(path, image, "BMP", -1);
}

QImage BlackAndWhiteCopy(const QImage& image) {
    return BlackAndWhiteCopy(image, image.rect());
}

QImage BlackAndWhiteCopy(const QImage& image, QRect inked) {
    if (image.format() != QImage::Format_RGB32) return {};
    QImage copy(image.size(), QImage::Format_Mono);
    copy.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    copy.fill(0);
    // Only the inked rectangle is read, in whole bytes of the copy from the one that holds
    // its left edge; the bits past its right edge stay black, as the pixels there are. Most
    // rows of a star picture are black even there: one pass over them decides.
    const QRect area = inked & image.rect();
    const int firstByte = area.left() / 8;
    const int width = area.right() + 1 - firstByte * 8;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + firstByte * 8;
        if (RowIsBlack(row, width)) continue;
        if (!PackRow(row, width, copy.scanLine(y) + firstByte)) return {};
    }
    return copy;
}

Bytes EncodePicturePng(const std::string& path, const QImage& image) {
    return Encoded(path, image, "PNG", kPngCompression);
}

void WritePicturePng(const std::string& path, const QImage& image, Durability durability) {
    WriteEncoded(path, image, "PNG", kPngCompression, durability);
}
