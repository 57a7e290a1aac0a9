// Text boxes, labels and push buttons placed on a client area in twips.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

namespace toolkit {

QLineEdit* NewTextBox(QWidget* client, QRect twips, const std::string& text);
/// A label whose caption wraps at blanks when it is wider than the label.
QLabel* NewLabel(QWidget* client, QRect twips, const std::string& caption);
QPushButton* NewPushButton(QWidget* client, QRect twips, const std::string& caption,
                           std::function<void()> click);

std::string Text(const QLineEdit* box);
void SetText(QLineEdit* box, const std::string& text);
std::string Caption(const QLabel* label);
void SetCaption(QLabel* label, const std::string& caption);

}  // namespace toolkit
