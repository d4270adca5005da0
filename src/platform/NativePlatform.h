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

    virtual Platform& platform() = 0;
    // Message and input boxes are centred over this window while it is shown.
    virtual void setDialogOwner(QWidget* owner) = 0;
};

} // namespace tivrel
