// The file dialog of the main window: the four operations that Save As and Open use.
#pragma once

#include <string>

class CommonDialog {
  public:
    virtual ~CommonDialog() = default;
    /// "description|pattern", a single entry.
    virtual void SetFilter(const std::string& filter) = 0;
    /// Modal; returns when the user has closed the dialog.
    virtual void ShowOpen() = 0;
    virtual void ShowSave() = 0;
    /// The chosen path; empty when nothing was chosen.
    virtual std::string FileName() const = 0;
};
