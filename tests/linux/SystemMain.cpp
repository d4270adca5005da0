// Test entry for the tests against the system's own services, on a system bus of their own.
// Its address is set here, before anything in the process can have read the real one.
#include "SystemBus.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    QString error;
    if (!tivrel::test::SystemBus::prepare(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    tivrel::test::SystemBus::cleanUp();
    return result;
}
