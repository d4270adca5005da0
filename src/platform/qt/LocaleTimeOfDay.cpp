#include "platform/qt/LocaleTimeOfDay.h"

#include <QTime>

namespace tivrel {

LocaleTimeOfDay::LocaleTimeOfDay(const QLocale& locale)
    : m_locale(locale), m_format(longTimeFormat(locale)) {}

QString LocaleTimeOfDay::now() {
    return m_locale.toString(QTime::currentTime(), m_format);
}

QString LocaleTimeOfDay::longTimeFormat(const QLocale& locale) {
    // Qt's long time format ends in the time zone ("t"); the run summary shows hours,
    // minutes and seconds only. Quoted literals are kept as they stand.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace tivrel
