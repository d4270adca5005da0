#pragma once

#include <QColor>

class QWidget;

namespace tivrel {

inline const QColor kBlueText(0, 0, 255);
inline const QColor kDarkRedText(192, 0, 0);

// Coloured text that still greys out when the control is disabled.
void setTextColour(QWidget& widget, const QColor& colour);
// Back to the system's text colours.
void resetTextColour(QWidget& widget);

} // namespace tivrel
