// The file dialog over Qt's own QFileDialog, so it looks and behaves the same on every
// desktop, in Russian. The save dialog gives a name typed without an extension the
// extension of the filter, so the filter shows the file afterwards; the open dialog takes
// every name as typed.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>

#include "display/CommonDialog.h"

class FileDialog : public CommonDialog {
  public:
    FileDialog();
    ~FileDialog() override;

    void SetFilter(const std::string& filter) override;
    void ShowOpen() override;
    void ShowSave() override;
    std::string FileName() const override { return fileName_; }

    /// "description (pattern)" for "description|pattern".
    static QString QtFilter(const std::string& filter);
    /// "kvx" for a filter whose pattern is "*.kvx"; empty for any other pattern.
    static QString PatternExtension(const std::string& filter);

  private:
    QFileDialog& Dialog();
    void Run(bool save);
    static void ForgetTheLastChoice(QFileDialog& dialog);
    static void HideCompletionLists(QFileDialog& dialog);

    QPointer<QFileDialog> dialog_;
    QString filter_;
    QString extension_;
    std::string fileName_;
};
