#include "platform/NativePlatform.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("Tivrel: no graphical session found. Tivrel needs an X11 session (or XWayland) "
                   "to click; start it from a desktop session.\n",
                   stderr);
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivrel"));

    QString error;
    const auto native = tivrel::NativePlatform::open(&error);
    if (!native) {
        std::fprintf(stderr, "Tivrel: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, tivrel::kApplicationTitle, error);
        return EXIT_FAILURE;
    }

    tivrel::Form1 form(native->platform());
    native->setDialogOwner(&form);
    form.setStartingValues();
    form.show();
    return app.exec();
}
