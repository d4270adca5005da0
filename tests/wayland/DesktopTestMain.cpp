// Test entry for the tests on headless GNOME and KDE: QtDBus and the portal's answers need an
// application object and its event loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
