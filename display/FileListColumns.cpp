// Reads the size and the time from the file model and writes them in Russian.
#include "display/FileListColumns.h"

#include <QFileSystemModel>
#include <QLocale>

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
