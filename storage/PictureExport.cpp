// Picture names and BMP writing.
#include "storage/PictureExport.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

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

void WritePicture(const std::string& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image))
        throw FileError(FileAction::Write, path, FileReason::Of(FileProblem::PictureNotEncoded));
    WriteFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
