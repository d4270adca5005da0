#pragma once

#include "platform/WindowStacking.h"

namespace tivrel {

// Stay-on-top through the window's platform handle, which acts on a shown window at once.
class QtWindowStacking final : public WindowStacking {
public:
    void makeOnTop(QWidget& window) override;
    void makeNotOnTop(QWidget& window) override;
};

} // namespace tivrel
