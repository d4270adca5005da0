#include "desktop/ClickableImage.h"

#include <QMouseEvent>

namespace tivrel {

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tivrel
