#include "widgets/TextColour.h"

#include <QPalette>
#include <QWidget>

namespace tivrel {

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget.setPalette(palette);
}

void resetTextColour(QWidget& widget) {
    widget.setPalette(QPalette());
}

} // namespace tivrel
