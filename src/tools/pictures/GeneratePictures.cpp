// Makes the information window's pictures and the program's icons at build time:
//   tivrel-pictures <output folder> <web site address>
// The help sheet shows the real main window, drawn from the same code the program runs.
#include "platform/null/NullPlatform.h"
#include "tools/pictures/IconFile.h"
#include "tools/pictures/PictureDrawing.h"
#include "ui/Form1.h"
#include "widgets/ProgramIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>

#include <cstdio>

namespace {

using namespace tivrel;

QRect placeIn(QWidget* widget, QWidget* window, int top) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()).translated(3, top);
}

// The control of the window named `name`, or null after saying that it is missing.
template <class Control> Control* named(const QWidget& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (!control)
        std::fprintf(stderr, "tivrel-pictures: the main window has no %s\n", name);
    return control;
}

// Says so when a file could not be written.
bool written(bool ok, const QString& path) {
    if (!ok)
        std::fprintf(stderr, "tivrel-pictures: cannot write %s\n", qPrintable(path));
    return ok;
}

bool save(const QImage& image, const QString& path) {
    return written(image.save(path), path);
}

bool save(const QByteArray& bytes, const QString& path) {
    QFile file(path);
    return written(!bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
                       file.write(bytes) == bytes.size(),
                   path);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: tivrel-pictures <output folder> <web site address>\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString address = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    NullPlatform system;
    Form1 form(system.platform);
    form.setStartingValues();
    auto* speed = named<QScrollBar>(form, "HScroll1_3");
    QWidget* const hours = named<QWidget>(form, "HoursLbl");
    QWidget* const speedValue = named<QWidget>(form, "SpeedLbl");
    QWidget* const minutes = named<QWidget>(form, "MinLbl");
    QWidget* const amount = named<QWidget>(form, "AmountLbl");
    QWidget* const left = named<QWidget>(form, "Option2_0");
    QWidget* const startButton = named<QWidget>(form, "Command1");
    if (!speed || !hours || !speedValue || !minutes || !amount || !left || !startButton)
        return 1;
    speed->setValue(10); // the speed row reads 10 in the picture
    form.show();
    QApplication::processEvents();
    QImage client(form.size(), QImage::Format_RGB888);
    form.render(&client);

    constexpr int kTitle = 22; // the title bar withTitleBar() puts above the window
    const QImage window = pictures::withTitleBar(client, programIconImage(32), form.windowTitle());
    // Each bubble points at the left-hand part of its row, so no tail crosses a caption.
    const QRect valueLabels = placeIn(hours, &form, kTitle);
    const QRect speedRow = placeIn(speedValue, &form, kTitle);
    const QRect slowRows = placeIn(minutes, &form, kTitle);
    const QRect amountRow = placeIn(amount, &form, kTitle);
    const QRect buttons = placeIn(left, &form, kTitle);
    const QRect start = placeIn(startButton, &form, kTitle);

    const QImage sheet = pictures::drawHelpSheet(
        window, {{QStringLiteral("Fast delay counter"), speedRow},
                 {QStringLiteral("Click to enter a value"), valueLabels},
                 {QStringLiteral("Slow delay counters"), slowRows},
                 {QStringLiteral("Amount to click"), amountRow},
                 {QStringLiteral("Button to click"), buttons},
                 {QStringLiteral("Move your mouse to desired location and press enter"), start}});

    bool ok = save(sheet, out + QStringLiteral("/help-sheet.png"));
    ok = save(pictures::drawNoticePanel(QStringLiteral("Tivrel \u00a9 The Tivrel developers")),
              out + QStringLiteral("/notice-panel.png")) &&
         ok;
    ok = save(pictures::drawLinkPicture(address), out + QStringLiteral("/link.png")) && ok;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok = save(programIconImage(size), out + QStringLiteral("/tivrel-%1.png").arg(size)) && ok;
    // The icon of tivrel.exe on Windows, in the sizes Explorer and the Start menu ask for.
    QList<QImage> windowsSizes;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        windowsSizes.append(programIconImage(size));
    ok = save(pictures::iconFile(windowsSizes), out + QStringLiteral("/tivrel.ico")) && ok;
    return ok ? 0 : 1;
}
