// A group of option buttons: one selected at a time; selecting one, by the user or from
// code, clears the others, gives it the group's focus and runs its click handler. The arrow
// keys move the focus from the selected option to the next and select that one.
#pragma once

#include <QButtonGroup>
#include <QRadioButton>
#include <functional>
#include <string>
#include <vector>

namespace toolkit {

class OptionGroup {
  public:
    explicit OptionGroup(QWidget* client);

    /// Adds an option at a position in twips; returns its index.
    int Add(QRect twips, const std::string& caption, std::function<void()> click);
    /// Selects the option, focuses it within its window and runs its click handler.
    void Select(int index);
    /// Focuses the selected option within its window, if one is selected.
    void FocusSelected();

    QRadioButton* Option(int index) const { return options_.at(index); }
    /// The selected option, or -1 when none is.
    int Selected() const;

  private:
    QWidget* client_;
    QButtonGroup group_;
    std::vector<QRadioButton*> options_;
    std::vector<std::function<void()>> clicks_;
};

}  // namespace toolkit
