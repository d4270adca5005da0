#pragma once

#include "platform/Browser.h"

namespace tivrel {

class DesktopServicesBrowser final : public Browser {
public:
    void open(const QString& address) override;
};

} // namespace tivrel
