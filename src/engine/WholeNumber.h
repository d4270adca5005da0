#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace tivrel {

// Reads a typed number the way the user writes numbers: blanks around it are allowed, a
// fraction is taken to the nearest whole number with halves going to the even neighbour.
// Gives nothing for text that is not a number or a number outside -32768 to 32767.
std::optional<qint16> toWholeNumber16(const QString& text, const QLocale& locale = QLocale());

} // namespace tivrel
