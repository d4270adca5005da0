#pragma once

#include <QLabel>
#include <QTimer>

namespace tivrel {

// The click count under "Total Clicks:". A fast run changes it up to 200 times a second;
// drawing every one of those costs far more than the click itself and nobody can read them,
// so a new count is drawn at once when the label has been still for a moment, and otherwise
// with the next frame: ten a second, which a climbing number reads well at. text() is always the
// count itself: the run reads and writes it here, never the drawn text.
//
// Use the label through this type: setText() and text() hide QLabel's own.
class ClickCountLabel final : public QLabel {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 100;

    ClickCountLabel(const QString& text, QWidget* parent);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // What the label draws right now; it catches up with text() within one frame.
    QString drawnText() const { return QLabel::text(); }
    bool isCatchingUp() const { return m_frame.isActive(); }

private:
    void nextFrame();

    QString m_text;
    QTimer m_frame;
};

} // namespace tivrel
