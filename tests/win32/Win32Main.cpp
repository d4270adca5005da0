// Test entry for the Windows backends: Qt on the system's own platform plugin, so that the
// windows under test have real window handles.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    qunsetenv("QT_QPA_PLATFORM");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
