#pragma once

#include <QLabel>

namespace tivrel {

// A label that reports a click. Disabled labels get no mouse events, so they ignore clicks.
class ValueLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tivrel
