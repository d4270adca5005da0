#include "platform/qt/QtWindowCommands.h"

#include <QWidget>
#include <QWindow>

namespace tivrel {

void QtWindowCommands::removeCloseCommand(QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags() & ~Qt::WindowCloseButtonHint;
    if (QWindow* handle = window.windowHandle()) {
        // The widget's setter would hide a shown window and re-create it on the next show:
        // the handle acts in place, and the widget is told without touching the window.
        handle->setFlag(Qt::WindowCloseButtonHint, false);
        window.overrideWindowFlags(flags);
    } else {
        window.setWindowFlags(flags);
    }
}

} // namespace tivrel
