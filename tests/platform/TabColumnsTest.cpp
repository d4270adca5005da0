// Lining up the words after the tabs of a message, as the run summary needs.
#include "platform/qt/TabColumns.h"

#include <QFont>
#include <QFontMetrics>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace tivrel::test {
namespace {

const QString kSummary = QStringLiteral("The enter key was pressed.\n\n"
                                        "Total Clicks:\t100\n"
                                        "Configuration:\tRight Button\n"
                                        "Start Time:\t10:04:05\n"
                                        "End Time:\t\t10:04:10\n"
                                        "Delay:\t\t50th / second");

// Where the value of each line starts: the width of what stands before it.
std::vector<int> valueStarts(const QString& aligned, const QStringList& values,
                             const QFontMetrics& metrics) {
    std::vector<int> starts;
    const QStringList lines = aligned.split(u'\n');
    for (int i = 0; i < values.size(); ++i) {
        const QString& line = lines.at(i + 2);
        EXPECT_TRUE(line.endsWith(values[i])) << qPrintable(line);
        starts.push_back(metrics.horizontalAdvance(line.left(line.size() - values[i].size())));
    }
    return starts;
}

class TabColumnsTest : public ::testing::TestWithParam<int> {};

TEST_P(TabColumnsTest, ValuesStartInOneColumnAfterTheWidestWords) {
    QFont font;
    font.setPointSize(GetParam());
    const QFontMetrics metrics(font);
    const QString aligned = alignTabColumns(kSummary, metrics);

    EXPECT_FALSE(aligned.contains(u'\t'));
    EXPECT_TRUE(aligned.startsWith(QStringLiteral("The enter key was pressed.\n\n")));
    const QStringList values{"100", "Right Button", "10:04:05", "10:04:10", "50th / second"};
    const std::vector<int> starts = valueStarts(aligned, values, metrics);
    const auto [low, high] = std::minmax_element(starts.begin(), starts.end());
    // Padding comes in steps of one narrow space, and shaping may round a pixel either way.
    EXPECT_LE(*high - *low, metrics.horizontalAdvance(u' '));
    EXPECT_GT(*low, metrics.horizontalAdvance(QStringLiteral("Configuration:")));
}

INSTANTIATE_TEST_SUITE_P(FontSizes, TabColumnsTest, ::testing::Values(8, 10, 14));

TEST(TabColumnsTest, TextWithoutTabsIsUntouched) {
    const QFontMetrics metrics{QFont()};
    const QStringList texts{"", "You entered an incorrect value.",
                            "Bad \"All Users\" folder:\n\nSecond line"};
    for (const QString& text : texts) {
        EXPECT_EQ(alignTabColumns(text, metrics), text);
    }
}

TEST(TabColumnsTest, ATabInsideAValueStays) {
    const QFontMetrics metrics{QFont()};
    const QString aligned = alignTabColumns(QStringLiteral("a:\tb\tc"), metrics);
    EXPECT_TRUE(aligned.startsWith(u'a'));
    EXPECT_TRUE(aligned.endsWith(QStringLiteral("b\tc")));
}

} // namespace
} // namespace tivrel::test
