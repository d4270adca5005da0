#pragma once

#include <QString>

namespace tivrel {

// The present time of day as text in the user's long time format (no date).
class TimeOfDay {
public:
    virtual ~TimeOfDay() = default;
    virtual QString now() = 0;
};

} // namespace tivrel
