#include "ui/ValueLabel.h"

#include <QMouseEvent>

namespace tivrel {

void ValueLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tivrel
