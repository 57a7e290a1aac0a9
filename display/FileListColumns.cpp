// Reads the size and the time from the file model and writes them in Russian.
#include "display/FileListColumns.h"

#include <QCoreApplication>
#include <QFileSystemModel>
#include <QLocale>
#include <QMimeDatabase>

QVariant FileListColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    if (!files || role != Qt::DisplayRole || (column != kSizeColumn && column != kDateColumn))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (column == kDateColumn)
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    if (files->isDir(source)) return QString();  // as the model: folders have no size
    return SizeText(files->size(source));
}

QString FileListColumns::SizeText(qint64 bytes) {
    if (bytes < 1024) {
        const qint64 last = bytes % 10, lastTwo = bytes % 100;
        const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
        return QString::number(bytes) + (few ? " байта" : " байт");
    }
    static const char* const kUnits[] = {"КБ", "МБ", "ГБ", "ТБ", "ПБ", "ЭБ"};
    double amount = bytes / 1024.0;
    int unit = 0;
    while (amount >= 1024 && unit < 5) {
        amount /= 1024;
        ++unit;
    }
    return QLocale().toString(amount, 'f', 1) + " " + QString::fromUtf8(kUnits[unit]);
}

QStringList FileListColumns::WidestTexts(FileColumn column, const QString& extension) {
    QStringList texts;
    switch (column) {
        case kSizeColumn:
            texts << SizeText(1023);
            for (int unit = 1; unit <= 5; ++unit)  // "1024,0 КБ" just below a mebibyte, ...
                texts << SizeText((qint64(1) << (10 * (unit + 1))) - 1);
            break;
        case kTypeColumn: {
            // The model's kinds: its own for folders, else the file type's description.
            texts << QCoreApplication::translate("QAbstractFileIconProvider", "Folder");
            const QMimeDatabase types;
            const QMimeType type =
                types.mimeTypeForFile("name." + extension, QMimeDatabase::MatchExtension);
            if (type.isDefault())  // unknown by name: named by the contents
                texts << QCoreApplication::translate("QAbstractFileIconProvider", "Unknown")
                      << types.mimeTypeForName("application/x-zerosize").comment();
            else
                texts << type.comment();
            break;
        }
        case kDateColumn:  // every digit is as wide as every other in the faces used
            texts << QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)),
                                        QLocale::ShortFormat);
            break;
        case kNameColumn:
            break;
    }
    return texts;
}
