#include "ui/FocusScrollBar.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace tivrel {

FocusScrollBar::FocusScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

void FocusScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QStyleOptionSlider bar;
    initStyleOption(&bar);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider, this);
    if (thumb.width() < 6 || thumb.height() < 6)
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(thumb.adjusted(2, 2, -3, -3));
}

} // namespace tivrel
