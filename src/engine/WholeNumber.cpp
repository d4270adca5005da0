#include "engine/WholeNumber.h"

#include <cmath>
#include <limits>

namespace tivrel {

std::optional<qint16> toWholeNumber16(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Plain decimal notation only: no thousands separators, no exponent.
    if (trimmed.contains(locale.exponential(), Qt::CaseInsensitive))
        return std::nullopt;
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double whole = std::nearbyint(value); // the default rounding mode: halves to even
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(whole);
}

} // namespace tivrel
