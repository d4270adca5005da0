#include "platform/qt/QtWindowStacking.h"

#include <QWidget>
#include <QWindow>

namespace tivrel {

namespace {

void setOnTop(QWidget& window, bool onTop) {
    // Setting the flag on the QWidget would re-create a shown window; the QWindow's flag
    // is applied in place.
    if (QWindow* handle = window.windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

} // namespace

void QtWindowStacking::makeOnTop(QWidget& window) {
    setOnTop(window, true);
}

void QtWindowStacking::makeNotOnTop(QWidget& window) {
    setOnTop(window, false);
}

} // namespace tivrel
