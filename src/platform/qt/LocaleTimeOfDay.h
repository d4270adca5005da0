#pragma once

#include "platform/TimeOfDay.h"

#include <QLocale>

namespace tivrel {

class LocaleTimeOfDay final : public TimeOfDay {
public:
    explicit LocaleTimeOfDay(const QLocale& locale = QLocale::system());
    QString now() override;
    // The locale's long time format without its time-zone part.
    static QString longTimeFormat(const QLocale& locale);

private:
    QLocale m_locale;
    QString m_format;
};

} // namespace tivrel
