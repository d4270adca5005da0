#pragma once

#include "platform/Platform.h"

#include <QString>

#include <memory>

class QWidget;

namespace tivrel {

// The program's connection to the display it clicks on, made before the toolkit starts: Qt
// ends the process with an abort when it cannot reach its display, so the program asks
// first and can say why it cannot run.
class DisplayConnection {
public:
    virtual ~DisplayConnection() = default;
};

// The real backends of this system, opened once at start-up.
class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    // Before the toolkit starts: the display, and the toolkit pointed at it. nullptr and a
    // message for the user when the system cannot give what the program needs.
    static std::unique_ptr<DisplayConnection> connect(QString* error);
    // Once the toolkit runs: the backends, on the display connect() reached.
    static std::unique_ptr<NativePlatform> open(std::unique_ptr<DisplayConnection> display);
    // A second copy's road to the running one; needs no display and no toolkit beyond
    // Qt's core.
    static std::unique_ptr<CopyChannel> secondCopyChannel();

    virtual Platform& platform() = 0;
    // Message and input boxes are centred over this window while it is shown.
    virtual void setDialogOwner(QWidget* owner) = 0;
};

} // namespace tivrel
