#include "widgets/ClickableLabel.h"

#include <QMouseEvent>

namespace tivrel {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    // The release stays with the label, click or not: the window behind may take a click on
    // its ground for one of its own (the information window closes on one).
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tivrel
