#pragma once

#include "platform/Platform.h"

#include <QString>

#include <memory>

class QWidget;

namespace tivrel {

// The display the program clicks on, reached before the toolkit starts: Qt ends the process
// with an abort when it cannot reach its display, so the program asks first.
class NativeDisplay {
public:
    virtual ~NativeDisplay() = default;
};

// The real backends of this system, opened once at start-up.
class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    // nullptr and a message for the user when the system cannot give what the program needs.
    static std::unique_ptr<NativeDisplay> connect(QString* error);
    // Once the toolkit runs: the backends, on the display connect() reached.
    static std::unique_ptr<NativePlatform> open(std::unique_ptr<NativeDisplay> display);

    virtual Platform& platform() = 0;
    // Message and input boxes are centred over this window while it is shown.
    virtual void setDialogOwner(QWidget* owner) = 0;
};

} // namespace tivrel
