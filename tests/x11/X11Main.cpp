// Test entry for the tests against a real X server.
//
// CTest starts the server first (start-x.sh) and passes the file that holds its display
// name in TIVREL_X11_DISPLAY_FILE. Run by hand, the tests use DISPLAY as it is set.
#include <QApplication>
#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

bool listingOnly() {
#ifdef GTEST_FLAG_GET
    return GTEST_FLAG_GET(list_tests);
#else
    return ::testing::GTEST_FLAG(list_tests);
#endif
}

// Sets DISPLAY to the server CTest started; false, with the reason printed, without one.
bool useTestDisplay() {
    const QByteArray path = qgetenv("TIVREL_X11_DISPLAY_FILE");
    if (path.isEmpty()) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fputs("No X server: run these tests through ctest, which starts one, or set "
                       "DISPLAY.\n",
                       stderr);
            return false;
        }
        return true;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr,
                     "Cannot read the display name from %s: %s. Is the x11 setup test "
                     "(start-x.sh) done?\n",
                     path.constData(), qPrintable(file.errorString()));
        return false;
    }
    const QByteArray name = file.readLine().trimmed();
    if (name.isEmpty()) {
        std::fprintf(stderr, "%s names no display.\n", path.constData());
        return false;
    }
    qputenv("DISPLAY", name);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests at build time, where no server runs.
    if (listingOnly())
        return RUN_ALL_TESTS();
    if (!useTestDisplay())
        return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
