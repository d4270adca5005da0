// Test entry for the tests that start the real program as a process of its own. They need
// no toolkit window themselves: only the display CTest started, the X tree and the tools.
#include "TestDisplay.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    if (tivrel::test::listingTestsOnly())
        return RUN_ALL_TESTS();
    if (!tivrel::test::useTestDisplay())
        return 1;
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
