// Menu items as actions of the window.
#include "display/toolkit/Menus.h"

namespace toolkit {

QMenu* AddMenu(QMenuBar* bar, const std::string& caption) {
    return bar->addMenu(QString::fromStdString(caption));
}

QAction* AddMenuItem(QMenu* menu, const std::string& caption, const QKeySequence& shortcut,
                     std::function<void()> click) {
    QAction* item = menu->addAction(QString::fromStdString(caption));
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    // The action belongs to the window too, so its shortcut works while the menu is closed.
    menu->parentWidget()->window()->addAction(item);
    QObject::connect(item, &QAction::triggered, item, [click] { click(); });
    return item;
}

}  // namespace toolkit
