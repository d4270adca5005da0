// Value entry under generated answers: whatever is typed, the program never crashes, an
// accepted answer always lies in the row's range and equals an independent reading of the
// number, and every refusal shows the one message.
#include "engine/RunWindow.h"
#include "fakes/FakeDialogs.h"
#include "ui/ValueEntry.h"

#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tivrel::test {
namespace {

// Plain decimal notation, read without Qt: sign, digits, a period and a fraction.
std::optional<int> referenceNumber(const QString& answer) {
    static const QRegularExpression plain(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    const QString t = answer.trimmed();
    if (!plain.match(t).hasMatch())
        return std::nullopt;
    const double value = std::strtod(t.toLatin1().constData(), nullptr);
    const double whole = std::nearbyint(value);
    if (!std::isfinite(whole) || whole < -32768 || whole > 32767)
        return std::nullopt;
    return int(whole);
}

class AnswerGenerator {
public:
    explicit AnswerGenerator(unsigned seed) : m_random(seed) {}

    QString next() {
        switch (pick(12)) {
        case 0:
            return QString();
        case 1:
            return QString(pick(5), u' ');
        case 2:
            return number(pick(3) + 1);
        case 3:
            return number(pick(6) + 1) + QStringLiteral(".") + digits(pick(4));
        case 4:
            return blanks() + number(pick(4) + 1) + blanks();
        case 5:
            return number(pick(3) + 1) + QStringLiteral(",") + digits(3);
        case 6:
            return number(pick(2) + 1) + QStringLiteral("e") + sign() + digits(pick(3) + 1);
        case 7:
            return digits(pick(400) + 1); // huge
        case 8:
            return junk(pick(8) + 1);
        case 9:
            return number(pick(3) + 1) + junk(pick(2) + 1);
        case 10:
            return QStringLiteral(".") + digits(pick(3) + 1);
        default:
            return sign() + sign() + digits(pick(3)) + QStringLiteral(".") + QStringLiteral(".") +
                   digits(pick(2));
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    QString digits(int n) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + pick(10));
        return s;
    }
    QString sign() {
        const int s = pick(4);
        return s == 0 ? QStringLiteral("-") : s == 1 ? QStringLiteral("+") : QString();
    }
    QString number(int n) { return sign() + digits(n); }
    QString blanks() { return QString(pick(3), pick(2) ? u' ' : u'\t'); }
    QString junk(int n) {
        static const QString alphabet =
            QStringLiteral("abcxyzE.,-+ <>&%$\u00e9\u00df\u0663\u4e2d\u00a0\U0001F600\t'\"\\");
        QString s;
        for (int i = 0; i < n; ++i)
            s += alphabet.at(pick(int(alphabet.size())));
        return s;
    }

    std::mt19937 m_random;
};

TEST(ValueEntryFuzzTest, HundredThousandAnswers) {
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    FakeDialogs dialogs;
    int leftTop = 0;
    int backOnTop = 0;
    ValueEntry entry(
        dialogs, [&] { ++leftTop; }, [&] { ++backOnTop; });
    QLabel label;
    QScrollBar bar(Qt::Horizontal);
    QObject::connect(&bar, &QScrollBar::valueChanged,
                     [&](int value) { label.setText(QString::number(value)); });
    AnswerGenerator answers(20261208);
    int accepted = 0;
    int refused = 0;
    for (int i = 0; i < 100000; ++i) {
        const ValueRange range = valueRange(i % kValueRows);
        bar.setRange(range.minimum, range.maximum);
        bar.setValue(range.minimum);
        label.setText(QString::number(bar.value()));
        const QString answer = answers.next();
        const QString labelBefore = label.text();
        const int valueBefore = bar.value();
        const std::size_t messagesBefore = dialogs.messages.size();
        dialogs.inputAnswers = {answer};
        entry.InputValue(label, range.minimum, range.maximum, bar);

        const auto expected = referenceNumber(answer);
        if (answer.trimmed().isEmpty()) {
            ASSERT_EQ(dialogs.messages.size(), messagesBefore) << qPrintable(answer);
            ASSERT_EQ(label.text(), labelBefore);
        } else if (expected && *expected >= range.minimum && *expected <= range.maximum) {
            ++accepted;
            ASSERT_EQ(dialogs.messages.size(), messagesBefore) << qPrintable(answer);
            ASSERT_EQ(bar.value(), *expected) << qPrintable(answer);
            // The label shows the number, never the answer as typed.
            ASSERT_EQ(label.text(), QString::number(*expected)) << qPrintable(answer);
        } else {
            ++refused;
            ASSERT_EQ(dialogs.messages.size(), messagesBefore + 1) << qPrintable(answer);
            ASSERT_EQ(dialogs.messages.back().prompt, "You entered an incorrect value.");
            ASSERT_EQ(bar.value(), valueBefore) << qPrintable(answer);
            ASSERT_EQ(label.text(), labelBefore) << qPrintable(answer);
        }
        if (dialogs.messages.size() > 1000)
            dialogs.messages.clear();
    }
    EXPECT_EQ(leftTop, refused);
    EXPECT_EQ(backOnTop, refused);
    // The generator must really reach both sides.
    EXPECT_GT(accepted, 10000);
    EXPECT_GT(refused, 10000);
    std::printf("value entry: 100000 answers, %d accepted, %d refused\n", accepted, refused);
    QLocale::setDefault(saved);
}

} // namespace
} // namespace tivrel::test
