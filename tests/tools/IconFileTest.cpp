#include "tools/pictures/IconFile.h"
#include "widgets/ProgramIcon.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <vector>

namespace tivrel::test {
namespace {

// The images Qt's own icon reader finds in the file, in the file's order.
std::vector<QImage> readBack(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    std::vector<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        images.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

class IconFileSizes : public ::testing::TestWithParam<std::vector<int>> {};

TEST_P(IconFileSizes, EachImageReadsBackWithItsSizeAndPixels) {
    QList<QImage> images;
    for (const int side : GetParam())
        images.append(programIconImage(side));
    const std::vector<QImage> read = readBack(pictures::iconFile(images));
    ASSERT_EQ(read.size(), GetParam().size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(GetParam()[i]);
        EXPECT_EQ(read[i].size(), images[int(i)].size());
        EXPECT_TRUE(read[i] == images[int(i)].convertToFormat(QImage::Format_ARGB32))
            << "the pixels changed on the way";
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, IconFileSizes,
                         ::testing::Values(std::vector<int>{16}, std::vector<int>{256},
                                           std::vector<int>{16, 24, 32, 48, 64, 128, 256},
                                           std::vector<int>{255, 1}));

class IconFileRefusals : public ::testing::TestWithParam<QSize> {};

// An entry the file cannot describe makes no file at all, rather than one Windows misreads.
TEST_P(IconFileRefusals, ASideTheFileCannotHoldGivesNoFile) {
    QImage odd(GetParam(), QImage::Format_ARGB32);
    odd.fill(Qt::red);
    EXPECT_TRUE(pictures::iconFile({programIconImage(32), odd}).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Sides, IconFileRefusals,
                         ::testing::Values(QSize(32, 16), QSize(257, 257), QSize(512, 512),
                                           QSize(0, 0)));

} // namespace
} // namespace tivrel::test
