// Test entry for the tests against a real X server, in the test process itself.
//
// CTest starts the server first (tivrel-x-session start) and passes the file that holds its display
// name in TIVREL_X11_DISPLAY_FILE. Run by hand, the tests use DISPLAY as it is set.
#include "TestDisplay.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests at build time, where no server runs.
    if (tivrel::test::listingTestsOnly())
        return RUN_ALL_TESTS();
    if (!tivrel::test::useTestDisplay())
        return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
