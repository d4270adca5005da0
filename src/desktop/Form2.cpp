#include "desktop/Form2.h"

#include "desktop/Pictures.h"
#include "widgets/ClickableLabel.h"
#include "widgets/Minimize.h"
#include "widgets/ProgramIcon.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace tivrel {

namespace {

void run(const std::function<void()>& handler) {
    if (handler)
        handler();
}

} // namespace

Form2::Form2(QWidget* owner) : QDialog(owner), m_sheet(helpSheetPicture()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Help ..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    QPalette background = palette();
    background.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    setPalette(background);
    setFixedSize(pixels(6690), pixels(3330));

    Image1 = new ClickableLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(0, 0, 6195, 1455));
    Image1->setPixmap(QPixmap::fromImage(noticePanelPicture()));

    Image2 = new ClickableLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(twipsRect(1560, 840, 2970, 330));
    Image2->setPixmap(QPixmap::fromImage(linkPicture()));
    Image2->setToolTip(QStringLiteral("Visit us online"));
    Image2->setCursor(Qt::CrossCursor);
    Image2->raise();

    connect(Image1, &ClickableLabel::clicked, this, [this] { run(Image1_Click); });
    connect(Image2, &ClickableLabel::clicked, this, [this] { run(Image2_Click); });
    // A modal window that vanished would leave the main window locked: it comes back at once.
    onMinimized(*this, [this] { restoreFromMinimized(*this); });
}

Form2::~Form2() = default;

void Form2::setOuterSizeTwips(int width, int height) {
    setFixedSize(pixels(width) - 2 * kFrameWidth, pixels(height) - kTitleHeight - 2 * kFrameWidth);
}

int Form2::showModal() {
    run(Form_Load);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    return exec();
}

void Form2::unload() {
    close();
}

void Form2::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The help sheet at its natural size from the top-left corner, never stretched.
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_sheet);
}

void Form2::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        run(Form_Click);
}

void Form2::runUnload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    run(Form_Unload);
}

void Form2::closeEvent(QCloseEvent* event) {
    runUnload();
    QDialog::closeEvent(event);
}

void Form2::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button, so ESC does not close it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form2::done(int result) {
    // Every way a dialog ends counts as closing the window.
    runUnload();
    QDialog::done(result);
}

} // namespace tivrel
