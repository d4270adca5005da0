#include "ui/ClickCountLabel.h"

namespace tivrel {

ClickCountLabel::ClickCountLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_text(text) {
    setTextFormat(Qt::PlainText);
    // Opaque: a new count repaints the label alone, not the frame behind it as well.
    setAutoFillBackground(true);
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMs);
    connect(&m_frame, &QTimer::timeout, this, [this] { nextFrame(); });
}

void ClickCountLabel::setText(const QString& text) {
    m_text = text;
    if (m_frame.isActive())
        return; // drawn with the next frame
    QLabel::setText(m_text);
    m_frame.start();
}

void ClickCountLabel::nextFrame() {
    if (QLabel::text() == m_text)
        return; // nothing new since the last frame: the label rests until the next change
    QLabel::setText(m_text);
    m_frame.start();
}

} // namespace tivrel
