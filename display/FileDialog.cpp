// One modal QFileDialog for the whole run, made on first use: a dialog made afresh at every
// showing leaves Qt's icon images for the files it listed behind each time. A cancelled
// dialog yields an empty name.
#include "display/FileDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "display/FileListColumns.h"
#include "display/toolkit/FocusReturn.h"

namespace {

// The width a cell of the list needs for the text, as the list's delegate asks the style.
int CellWidth(const QTreeView& list, const QString& text) {
    QStyleOptionViewItem cell;
    cell.initFrom(&list);
    cell.font = list.font();
    cell.text = text;
    cell.features = QStyleOptionViewItem::HasDisplay;
    return list.style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), &list).width();
}

// Qt sizes the columns for English texts; the size, type and date columns are widened to
// their headers and their widest texts in Russian, and the dialog grows by as much, so that
// the name column keeps its room.
void FitColumns(QFileDialog& dialog, const QString& extension) {
    auto* list = dialog.findChild<QTreeView*>();
    if (!list) return;
    QHeaderView* header = list->header();
    int gained = 0;
    for (const FileColumn column : {kSizeColumn, kTypeColumn, kDateColumn}) {
        int wanted = header->sectionSizeHint(column);
        for (const QString& text : FileListColumns::WidestTexts(column, extension))
            wanted = std::max(wanted, CellWidth(*list, text));
        const int missing = wanted - header->sectionSize(column);
        if (missing <= 0) continue;  // a wider column was the user's choice
        header->resizeSection(column, wanted);
        gained += missing;
    }
    if (gained > 0) dialog.resize(dialog.sizeHint() + QSize(gained, 0));
}

}  // namespace

QString FileDialog::QtFilter(const std::string& filter) {
    const QString text = QString::fromStdString(filter);
    const qsizetype bar = text.indexOf('|');
    if (bar < 0) return text;
    return text.left(bar) + " (" + text.mid(bar + 1) + ")";
}

QString FileDialog::PatternExtension(const std::string& filter) {
    const QString text = QString::fromStdString(filter);
    const QString pattern = text.mid(text.indexOf('|') + 1);
    if (!pattern.startsWith("*.")) return {};
    const QString extension = pattern.mid(2);
    for (const QChar c : extension)
        if (!c.isLetterOrNumber()) return {};  // "*.*", "*.k?x", several patterns
    return extension;
}

void FileDialog::SetFilter(const std::string& filter) {
    filter_ = QtFilter(filter);
    extension_ = PatternExtension(filter);
}

void FileDialog::ShowOpen() {
    Run(false);
}

void FileDialog::ShowSave() {
    Run(true);
}

FileDialog::FileDialog() = default;

FileDialog::~FileDialog() {
    if (dialog_ && !dialog_->parent()) delete dialog_.data();
}

// The window that asks owns the dialog; should that window go, the next showing makes one.
QFileDialog& FileDialog::Dialog() {
    if (!dialog_) {
        dialog_ = new QFileDialog(QApplication::activeWindow());
        dialog_->setOption(QFileDialog::DontUseNativeDialog);
        dialog_->setProxyModel(new FileListColumns(dialog_));
    }
    return *dialog_;
}

void FileDialog::Run(bool save) {
    QFileDialog& dialog = Dialog();
    dialog.setNameFilter(filter_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Only for a typed name without a dot; the open dialog adds nothing.
    dialog.setDefaultSuffix(save ? extension_ : QString());
    FitColumns(dialog, extension_);
    ForgetTheLastChoice(dialog);
    fileName_.clear();
    const toolkit::FocusReturn back(dialog.parentWidget());
    const bool chosen = dialog.exec() == QDialog::Accepted;
    HideCompletionLists(dialog);
    if (chosen && !dialog.selectedFiles().isEmpty())
        fileName_ = dialog.selectedFiles().front().toStdString();
}

// The last showing's choice is not offered again: neither its name nor its file in the list,
// which the accept button would take while the name box is empty. Showing the dialog
// selects that file once more, so the lists are cleared once it is shown.
void FileDialog::ForgetTheLastChoice(QFileDialog& dialog) {
    if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) name->clear();
    QTimer::singleShot(0, &dialog, [&dialog] {
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
            view->clearSelection();
    });
}

// The name box's completion list is a window of its own, which hiding the dialog leaves on
// the screen, holding the keyboard; a dialog made afresh took it along when it was deleted.
void FileDialog::HideCompletionLists(QFileDialog& dialog) {
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup()) completer->popup()->hide();
}
