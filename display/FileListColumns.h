// The file dialog's list in the program's language: Qt's file model writes sizes and dates
// in the system locale, which may be English; here dates follow the default locale, as the
// type names do, and sizes are written in Russian ("58 байт", "5,5 КБ").
#pragma once

#include <QIdentityProxyModel>

/// The columns of QFileSystemModel.
enum FileColumn { kNameColumn, kSizeColumn, kTypeColumn, kDateColumn };

class FileListColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    /// The size and date columns of a QFileSystemModel in Russian; the rest as is.
    QVariant data(const QModelIndex& index, int role) const override;

    /// "1 байт", "2 байта", "58 байт" below 1024 bytes, then "1,0 КБ", "5,5 МБ" and so on.
    static QString SizeText(qint64 bytes);

    /// The texts among which is the widest that the size, type or date column can show in
    /// a list of folders and files with the extension.
    static QStringList WidestTexts(FileColumn column, const QString& extension);
};
