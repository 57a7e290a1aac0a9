// The file dialog over Qt's own QFileDialog, so it looks and behaves the same on every
// desktop.
#pragma once

#include <QString>

#include "display/CommonDialog.h"

class FileDialog : public CommonDialog {
  public:
    void SetFilter(const std::string& filter) override;
    void ShowOpen() override;
    void ShowSave() override;
    std::string FileName() const override { return fileName_; }

    /// "description (pattern)" for "description|pattern".
    static QString QtFilter(const std::string& filter);

  private:
    void Run(bool save);

    QString filter_;
    std::string fileName_;
};
