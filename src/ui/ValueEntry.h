#pragma once

#include <QString>

#include <functional>

class QLabel;
class QScrollBar;

namespace tivrel {

class Dialogs;

struct ValueRange {
    int minimum;
    int maximum;
};

// The range a value row accepts, by scroll bar index; the same as its scroll bar's range.
ValueRange valueRange(int row);

// Entry of one number through the input box, checked against the row's range.
class ValueEntry {
public:
    static inline const QString kIncorrectValue = QStringLiteral("You entered an incorrect value.");

    // leaveTop and backOnTop take the main window out of the topmost band around the error
    // message, so the message never hides behind it.
    ValueEntry(Dialogs& dialogs, std::function<void()> leaveTop, std::function<void()> backOnTop)
        : m_dialogs(dialogs), m_leaveTop(std::move(leaveTop)), m_backOnTop(std::move(backOnTop)) {}

    static QString prompt(int minimum, int maximum);
    void InputValue(QLabel& label, int minimum, int maximum, QScrollBar& bar);

private:
    Dialogs& m_dialogs;
    std::function<void()> m_leaveTop;
    std::function<void()> m_backOnTop;
};

} // namespace tivrel
