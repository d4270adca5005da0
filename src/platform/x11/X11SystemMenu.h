#pragma once

#include "platform/SystemMenu.h"

#include <QHash>
#include <QPointer>

namespace tivrel {

// X11 windows have no system menu of their own: the window manager draws it. This keeps the
// classic seven entries for each window; removing "Close" asks the window manager for no
// close button (it may ignore that, so the window refuses the user's close requests too).
class X11SystemMenu final : public SystemMenu {
public:
    QStringList entries(QWidget& window) override;
    void removeEntry(QWidget& window, int position) override;

private:
    QStringList& menuOf(QWidget& window);
    QHash<const QWidget*, QStringList> m_menus;
};

} // namespace tivrel
