// Menus with access letters ("&") and Ctrl+letter shortcuts. A shortcut is a menu
// shortcut only: Ctrl+C and Ctrl+X never act as copy or cut.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <functional>
#include <string>

namespace toolkit {

QMenu* AddMenu(QMenuBar* bar, const std::string& caption);
QAction* AddMenuItem(QMenu* menu, const std::string& caption, const QKeySequence& shortcut,
                     std::function<void()> click);

}  // namespace toolkit
