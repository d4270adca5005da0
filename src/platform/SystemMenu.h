#pragma once

#include <QStringList>

class QWidget;

namespace tivrel {

// A window's system menu, entry by entry. Removing the Close entry also takes the close
// command away from the window's title bar where the system allows it.
class SystemMenu {
public:
    virtual ~SystemMenu() = default;
    virtual QStringList entries(QWidget& window) = 0;
    virtual void removeEntry(QWidget& window, int position) = 0;
};

} // namespace tivrel
