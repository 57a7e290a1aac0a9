// Picture names, BMP and PNG writing.
#include "storage/PictureExport.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
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

// Encodes in memory and writes the bytes atomically; compression -1 keeps Qt's default.
void WriteEncoded(const std::string& path, const QImage& image, const char* format, int compression,
                  Durability durability = Durability::OnCommit) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (compression >= 0) writer.setCompression(compression);
    if (!writer.write(image))
        throw FileError(FileAction::Write, path, FileReason::Of(FileProblem::PictureNotEncoded));
    WriteFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                        durability);
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
// is neither black nor white.
bool PackRow(const QRgb* row, int width, uchar* bits) {
    for (int x = 0; x < width; x += 8) {
        unsigned byte = 0;
        for (int b = 0; b < 8 && x + b < width; ++b) {
            const QRgb colour = row[x + b] & kColourBits;
            if (colour == kColourBits)
                byte |= 0x80u >> b;
            else if (colour != 0)
                return false;
        }
        bits[x / 8] = static_cast<uchar>(byte);
    }
    return true;
}

}  // namespace

void WritePicture(const std::string& path, const QImage& image) {
    WriteEncoded(path, image, "BMP", -1);
}

QImage BlackAndWhiteCopy(const QImage& image) {
    if (image.format() != QImage::Format_RGB32) return {};
    const int width = image.width();
    QImage copy(width, image.height(), QImage::Format_Mono);
    copy.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* bits = copy.scanLine(y);
        // Most rows of a star picture are black: one pass over them decides.
        if (RowIsBlack(row, width))
            std::memset(bits, 0, static_cast<std::size_t>(width + 7) / 8);
        else if (!PackRow(row, width, bits))
            return {};
    }
    return copy;
}

void WritePicturePng(const std::string& path, const QImage& image, Durability durability) {
    WriteEncoded(path, image, "PNG", kPngCompression, durability);
}
