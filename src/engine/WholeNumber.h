#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace tivrel {

// Reads a typed number the way the user writes numbers in their locale: an optional sign,
// digits and a fraction after the locale's decimal separator, blanks around it. The fraction
// is taken to the nearest whole number, halves going to the even neighbour. Thousands
// separators and exponents are not part of it.
// Gives nothing for text that is not a number or a number outside -32768 to 32767.
std::optional<qint16> toWholeNumber16(const QString& text, const QLocale& locale = QLocale());

} // namespace tivrel
