#pragma once

#include <QLabel>

namespace tivrel {

// A picture that reports a click (press and release on it).
class ClickableImage final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tivrel
