#include "engine/WholeNumber.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

struct NumberCase {
    const char* text;
    std::optional<int> expected;
};

class WholeNumberEnglishTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumberEnglishTest, ReadsAsTheUserWrites) {
    const NumberCase& c = GetParam();
    const auto result = toWholeNumber16(QString::fromUtf8(c.text), QLocale(QLocale::English));
    if (c.expected) {
        ASSERT_TRUE(result.has_value()) << c.text;
        EXPECT_EQ(*result, *c.expected) << c.text;
    } else {
        EXPECT_FALSE(result.has_value()) << c.text << " gave " << (result ? *result : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumberEnglishTest,
    ::testing::Values(NumberCase{"7", 7}, NumberCase{" 7 ", 7}, NumberCase{"-1", -1},
                      NumberCase{"+12", 12}, NumberCase{"12.5", 12}, NumberCase{"13.5", 14},
                      NumberCase{"-2.5", -2}, NumberCase{"0.5", 0}, NumberCase{"1.5", 2},
                      NumberCase{"12.49", 12}, NumberCase{"07", 7}, NumberCase{"32767", 32767},
                      NumberCase{"-32768", -32768}, NumberCase{"32767.5", std::nullopt},
                      NumberCase{"32768", std::nullopt}, NumberCase{"40000", std::nullopt},
                      NumberCase{"-32769", std::nullopt}, NumberCase{"abc", std::nullopt},
                      NumberCase{"7x", std::nullopt}, NumberCase{"", std::nullopt},
                      NumberCase{"   ", std::nullopt}, NumberCase{"1e400", std::nullopt},
                      NumberCase{"nan", std::nullopt}, NumberCase{"inf", std::nullopt},
                      NumberCase{"<b>5</b>", std::nullopt}, NumberCase{"٣", std::nullopt},
                      NumberCase{"1,000", std::nullopt}, NumberCase{"1e2", std::nullopt},
                      NumberCase{"1E2", std::nullopt}, NumberCase{".5", 0}, NumberCase{"2.", 2},
                      NumberCase{"- 5", std::nullopt}, NumberCase{"5-", std::nullopt},
                      NumberCase{"0x10", std::nullopt}, NumberCase{"\t7\n", 7}));

TEST(WholeNumberTest, FollowsTheLocalesDecimalComma) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(toWholeNumber16(QStringLiteral("12,5"), german), std::optional<qint16>(12));
    EXPECT_EQ(toWholeNumber16(QStringLiteral("13,5"), german), std::optional<qint16>(14));
    EXPECT_FALSE(toWholeNumber16(QStringLiteral("12.5"), german).has_value());
}

} // namespace
} // namespace tivrel::test
