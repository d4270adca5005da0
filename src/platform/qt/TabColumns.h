#pragma once

#include <QString>

class QFontMetrics;

namespace tivrel {

// Message texts line their values up with tabs ("Start Time:", TAB, the time; "End Time:",
// TAB, TAB, the time), counting on tab stops that suit the words in front. Qt's labels put
// a tab stop every 80 pixels whatever the font, which scatters such a column. This pads the
// words before the tabs of each line with narrow spaces instead, so that what follows the
// tabs starts in one column: the widest of those words plus a gap. Lines without a tab stay
// as they are; lines break at LF.
QString alignTabColumns(const QString& text, const QFontMetrics& metrics);

} // namespace tivrel
