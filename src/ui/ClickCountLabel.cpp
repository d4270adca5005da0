#include "ui/ClickCountLabel.h"

namespace tivrel {

ClickCountLabel::ClickCountLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_text(text) {
    setTextFormat(Qt::PlainText);
    // Opaque: a new count repaints the label alone, not the frame behind it as well.
    setAutoFillBackground(true);
    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    connect(&m_frame, &QTimer::timeout, this, [this] { draw(); });
}

void ClickCountLabel::setText(const QString& text) {
    m_text = text;
    if (m_frame.isActive())
        return; // drawn with the next frame
    const qint64 since = m_drawn.isValid() ? m_drawn.elapsed() : kFrameMs;
    if (since >= kFrameMs - kEarlyMs)
        draw();
    else
        m_frame.start(int(kFrameMs - since));
}

void ClickCountLabel::draw() {
    if (QLabel::text() == m_text)
        return; // nothing new since the last drawing
    QLabel::setText(m_text);
    m_drawn.start();
}

} // namespace tivrel
