#include "desktop/Form2.h"
#include "platform/NativePlatform.h"
#include "shell/AppShell.h"
#include "shell/Form1ShellView.h"
#include "shell/Form3.h"
#include "shell/SecondCopy.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    // A copy started with an argument only asks the running one, with no display at all.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        return tivrel::askRunningCopy(QCoreApplication::arguments().mid(1),
                                      *tivrel::NativePlatform::secondCopyChannel(), stderr);
    }
    QString error;
    auto display = tivrel::NativePlatform::connect(&error);
    if (!display) {
        std::fprintf(stderr, "Tivrel: %s\n", qPrintable(error));
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivrel"));
    // The window often hides in the tray: closing a message box then must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto native = tivrel::NativePlatform::open(std::move(display));

    tivrel::Form1 form(native->platform());
    native->setDialogOwner(&form);
    tivrel::Form1ShellView window(form);
    tivrel::AppShell shell(window, native->platform(),
                           {[](tivrel::Form3& disclaimer) { disclaimer.exec(); },
                            [](tivrel::Form2& information) { information.showModal(); },
                            [](QMenu& menu) { menu.popup(QCursor::pos()); },
                            [](int code) { QCoreApplication::exit(code); },
                            [] { return QApplication::activeModalWidget() != nullptr; }});
    if (const auto exitCode = shell.Form_Load())
        return *exitCode;
    return app.exec();
}
