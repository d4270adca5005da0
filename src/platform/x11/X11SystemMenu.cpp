#include "platform/x11/X11SystemMenu.h"

#include <QWidget>
#include <QWindow>

namespace tivrel {

QStringList& X11SystemMenu::menuOf(QWidget& window) {
    auto it = m_menus.find(&window);
    if (it == m_menus.end()) {
        it = m_menus.insert(&window,
                            {QStringLiteral("Restore"), QStringLiteral("Move"),
                             QStringLiteral("Size"), QStringLiteral("Minimize"),
                             QStringLiteral("Maximize"), QString(), QStringLiteral("Close")});
    }
    return *it;
}

QStringList X11SystemMenu::entries(QWidget& window) {
    return menuOf(window);
}

void X11SystemMenu::removeEntry(QWidget& window, int position) {
    QStringList& menu = menuOf(window);
    if (position < 0 || position >= menu.size())
        return;
    const QString removed = menu.takeAt(position);
    if (removed != QStringLiteral("Close"))
        return;
    // The window's handle acts in place; the widget flag would re-create a shown window.
    if (QWindow* handle = window.windowHandle())
        handle->setFlag(Qt::WindowCloseButtonHint, false);
    else
        window.setWindowFlag(Qt::WindowCloseButtonHint, false);
}

} // namespace tivrel
