#include "TestDisplay.h"

#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>

namespace tivrel::test {

bool listingTestsOnly() {
#ifdef GTEST_FLAG_GET
    return GTEST_FLAG_GET(list_tests);
#else
    return ::testing::GTEST_FLAG(list_tests);
#endif
}

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
                     "(tivrel-x-session start) done?\n",
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

} // namespace tivrel::test
