// Option buttons over a QButtonGroup.
#include "display/toolkit/OptionGroup.h"

#include "display/toolkit/Twips.h"

namespace toolkit {

OptionGroup::OptionGroup(QWidget* client) : client_(client) {
    group_.setExclusive(true);
}

int OptionGroup::Add(QRect twips, const std::string& caption, std::function<void()> click) {
    const int index = static_cast<int>(options_.size());
    auto* option = new QRadioButton(QString::fromStdString(caption), client_);
    option->setGeometry(TwipsRect(twips));
    group_.addButton(option, index);
    options_.push_back(option);
    clicks_.push_back(std::move(click));
    // clicked comes from the mouse and the keyboard, never from setChecked.
    QObject::connect(option, &QRadioButton::clicked, option, [this, index] { clicks_[index](); });
    return index;
}

void OptionGroup::Select(int index) {
    options_.at(index)->setChecked(true);
    // Qt's arrow keys select the next option only from a selected one that has the focus.
    options_.at(index)->setFocus(Qt::OtherFocusReason);
    clicks_.at(index)();
}

void OptionGroup::FocusSelected() {
    if (QAbstractButton* selected = group_.checkedButton())
        selected->setFocus(Qt::OtherFocusReason);
}

int OptionGroup::Selected() const {
    return group_.checkedId();
}

}  // namespace toolkit
