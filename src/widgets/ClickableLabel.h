#pragma once

#include <QLabel>

namespace tivrel {

// A label, of a text or a picture, that reports a click: a left press and release on it.
// Disabled labels get no mouse events, so they ignore clicks.
class ClickableLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tivrel
