#include "ui/ValueEntry.h"

#include "engine/RunWindow.h"
#include "engine/WholeNumber.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QScrollBar>

#include <array>

namespace tivrel {

ValueRange valueRange(int row) {
    static constexpr std::array<ValueRange, kValueRows> kRanges{{
        {0, 60},    // minutes
        {0, 60},    // seconds
        {1, 30000}, // amount
        {5, 999},   // speed
        {0, 60},    // hours
    }};
    return kRanges.at(row);
}

QString ValueEntry::prompt(int minimum, int maximum) {
    return QStringLiteral("Enter a value from %1 to %2").arg(minimum).arg(maximum);
}

void ValueEntry::InputValue(QLabel& label, int minimum, int maximum, QScrollBar& bar) {
    const QString answer =
        m_dialogs.inputBox(prompt(minimum, maximum), QStringLiteral("Enter a Value"), QString());
    if (answer.trimmed().isEmpty())
        return; // cancelled or blank: nothing to do
    const auto number = toWholeNumber16(answer);
    if (number && *number >= minimum && *number <= maximum) {
        // The label always shows the number itself, never the answer as typed ("03", "+3"):
        // an answer equal to the present value moves no scroll bar to write it.
        label.setText(QString::number(*number));
        bar.setValue(*number);
        return;
    }
    m_leaveTop();
    m_dialogs.messageBox(kIncorrectValue, MessageButtons::Ok, MessageIcon::Exclamation,
                         QStringLiteral("Error"));
    m_backOnTop();
}

} // namespace tivrel
