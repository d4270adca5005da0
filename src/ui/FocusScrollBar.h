#pragma once

#include <QScrollBar>

namespace tivrel {

// A scroll bar that shows when it has the keyboard focus: a dotted rectangle inside its
// thumb. The styles Qt ships draw no focus mark on scroll bars, so a user tabbing through
// the window could not see that the arrow keys now move this one.
class FocusScrollBar final : public QScrollBar {
    Q_OBJECT
public:
    explicit FocusScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tivrel
