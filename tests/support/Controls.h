#pragma once

// The tests reach a window's controls by their object names, as a user reaches them by what
// they show: `control<QPushButton>(form, "Command1")`, `control<QScrollBar>(form, "HScroll1",
// SpeedRow)` for one element of an array, `controls<QRadioButton>(form, "Option2", 3)` for all.
// A name no control has, a name two have, or a control of another kind throws a
// ControlLookupFailure, which ends the test with a failure that says which; the lookups never
// hand back a null pointer to crash on.

#include <QObject>
#include <QString>

#include <stdexcept>
#include <vector>

namespace tivrel::test {

class ControlLookupFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void failLookup(const QObject& window, const char* kind, const QString& name,
                                    const QString& what) {
    throw ControlLookupFailure(QStringLiteral("%1 \"%2\" in %3: %4")
                                   .arg(QString::fromLatin1(kind), name, window.objectName(), what)
                                   .toStdString());
}

// The name of element `index` of the control array `name`: "HScroll1_3".
inline QString elementName(const QString& name, int index) {
    return name + QLatin1Char('_') + QString::number(index);
}

template <class T> T* control(const QObject& window, const QString& name) {
    const char* const kind = T::staticMetaObject.className();
    const QList<QObject*> named = window.findChildren<QObject*>(name);
    if (named.isEmpty())
        failLookup(window, kind, name, QStringLiteral("no control has this name"));
    if (named.size() > 1)
        failLookup(window, kind, name,
                   QStringLiteral("%1 controls have this name").arg(named.size()));
    T* const found = qobject_cast<T*>(named.front());
    if (!found)
        failLookup(window, kind, name,
                   QStringLiteral("the control is a %1")
                       .arg(QString::fromLatin1(named.front()->metaObject()->className())));
    return found;
}

template <class T> T* control(const QObject& window, const QString& name, int index) {
    return control<T>(window, elementName(name, index));
}

// Every element of the array `name`, which has exactly `count` of them.
template <class T> std::vector<T*> controls(const QObject& window, const QString& name, int count) {
    std::vector<T*> found;
    for (int index = 0; index < count; ++index)
        found.push_back(control<T>(window, name, index));
    if (window.findChild<QObject*>(elementName(name, count)))
        failLookup(window, T::staticMetaObject.className(), name,
                   QStringLiteral("more than %1 elements").arg(count));
    return found;
}

} // namespace tivrel::test
