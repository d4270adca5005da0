#pragma once

class QWidget;

namespace tivrel {

// Puts a top-level window into the band of windows that stay above ordinary ones, and
// takes it out again. Repeating either call changes nothing.
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual void makeOnTop(QWidget& window) = 0;
    virtual void makeNotOnTop(QWidget& window) = 0;
};

} // namespace tivrel
