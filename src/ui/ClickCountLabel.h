#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

namespace tivrel {

// The click count under "Total Clicks:". A fast run changes it up to 200 times a second;
// drawing every one of those costs far more than the click itself and nobody can read them,
// so a new count is drawn at once when the last drawing is a frame old, and otherwise with
// the next frame: ten a second, which a climbing number reads well at. A label that draws at
// once arms no timer, so a count set ten times a second costs one wake each. text() is always
// the count itself: the run reads and writes it here, never the drawn text.
//
// Use the label through this type: setText() and text() hide QLabel's own.
class ClickCountLabel final : public QLabel {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 100;
    // A count set on a ten-a-second pace comes a little early now and then; it is drawn at
    // once rather than with a frame of its own a moment later.
    static constexpr int kEarlyMs = 10;

    ClickCountLabel(const QString& text, QWidget* parent);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // What the label draws right now; it catches up with text() within one frame.
    QString drawnText() const { return QLabel::text(); }
    bool isCatchingUp() const { return m_frame.isActive(); }

private:
    void draw();

    QString m_text;
    QTimer m_frame;
    QElapsedTimer m_drawn; // since the last drawing
};

} // namespace tivrel
