// Controls as the windows use them.
#include "display/toolkit/Controls.h"

#include "display/toolkit/Twips.h"

namespace toolkit {

QLineEdit* NewTextBox(QWidget* client, QRect twips, const std::string& text) {
    auto* box = new QLineEdit(QString::fromStdString(text), client);
    box->setGeometry(TwipsRect(twips));
    return box;
}

QLabel* NewLabel(QWidget* client, QRect twips, const std::string& caption) {
    auto* label = new QLabel(QString::fromStdString(caption), client);
    label->setGeometry(TwipsRect(twips));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* NewPushButton(QWidget* client, QRect twips, const std::string& caption,
                           std::function<void()> click) {
    auto* button = new QPushButton(QString::fromStdString(caption), client);
    button->setGeometry(TwipsRect(twips));
    QObject::connect(button, &QPushButton::clicked, button, [click] { click(); });
    return button;
}

std::string Text(const QLineEdit* box) {
    return box->text().toStdString();
}

void SetText(QLineEdit* box, const std::string& text) {
    box->setText(QString::fromStdString(text));
}

std::string Caption(const QLabel* label) {
    return label->text().toStdString();
}

void SetCaption(QLabel* label, const std::string& caption) {
    label->setText(QString::fromStdString(caption));
}

}  // namespace toolkit
