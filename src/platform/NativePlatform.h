#pragma once

#include "platform/Platform.h"

#include <QString>

#include <memory>

class QWidget;

namespace tivrel {

// The real backends of this system, opened once at start-up.
class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    // nullptr and a message for the user when the system cannot give what the program needs.
    static std::unique_ptr<NativePlatform> open(QString* error);
    // Whether the display the program clicks on can be reached, asked before the toolkit
    // starts: Qt ends the process with an abort when it cannot reach its display.
    static bool displayReachable(QString* error);

    virtual Platform& platform() = 0;
    // Message and input boxes are centred over this window while it is shown.
    virtual void setDialogOwner(QWidget* owner) = 0;
};

} // namespace tivrel
