// One modal QFileDialog per showing; a cancelled dialog yields an empty name.
#include "display/FileDialog.h"

#include <QApplication>
#include <QFileDialog>

QString FileDialog::QtFilter(const std::string& filter) {
    const QString text = QString::fromStdString(filter);
    const qsizetype bar = text.indexOf('|');
    if (bar < 0) return text;
    return text.left(bar) + " (" + text.mid(bar + 1) + ")";
}

void FileDialog::SetFilter(const std::string& filter) {
    filter_ = QtFilter(filter);
}

void FileDialog::ShowOpen() {
    Run(false);
}

void FileDialog::ShowSave() {
    Run(true);
}

void FileDialog::Run(bool save) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(filter_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    fileName_.clear();
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        fileName_ = dialog.selectedFiles().front().toStdString();
}
