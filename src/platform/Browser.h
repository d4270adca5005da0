#pragma once

#include <QString>

namespace tivrel {

// Opens a web address in the user's browser; whether it worked is not reported.
class Browser {
public:
    virtual ~Browser() = default;
    virtual void open(const QString& address) = 0;
};

} // namespace tivrel
