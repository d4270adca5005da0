// The main window as designed: every control with its place, size, text and look.
#include "ui/Form1.h"

#include "engine/ClickRun.h"
#include "engine/RunWindow.h"
#include "platform/Platform.h"
#include "ui/FocusScrollBar.h"
#include "widgets/ClickableLabel.h"
#include "widgets/ProgramIcon.h"
#include "widgets/TextColour.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>

namespace tivrel {

namespace {

const QString kValueTip = QStringLiteral("Click to enter value");

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text,
                  const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

ClickableLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, int top) {
    auto* label = new ClickableLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(twipsRect(360, top, 615, 255));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setToolTip(kValueTip);
    setTextColour(*label, kBlueText);
    label->setEnabled(false);
    return label;
}

QScrollBar* makeScrollBar(QWidget* parent, int index, int top, int minimum, int maximum,
                          int value) {
    auto* bar = new FocusScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QStringLiteral("HScroll1_%1").arg(index));
    bar->setGeometry(twipsRect(2040, top, 1455, 255));
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    // While the thumb is dragged the row's label waits for the release.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& text,
                         const QRect& geometry) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(name);
    option->setGeometry(geometry);
    return option;
}

// The frames draw their caption in their top line, with the controls' places measured from
// that line. Fusion sets the caption above the line and the line about a text height lower,
// onto the first row of controls; the Windows style draws frames the classic way. Only the
// frames take it: the controls inside keep the application's style.
QStyle* frameStyle() {
    static QStyle* const style = [] {
        QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"));
        if (windows)
            windows->setParent(QCoreApplication::instance());
        return windows;
    }();
    return style;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption,
                     const QRect& geometry) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    if (QStyle* style = frameStyle())
        frame->setStyle(style);
    return frame;
}

} // namespace

void Form1::createWindow() {
    setWindowTitle(QStringLiteral("Tivrel"));
    // A fixed window with a title, a system menu and a close box, but no minimize or
    // maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(pixels(4200), pixels(4995));
    setCentralWidget(client);
}

void Form1::createStartFrame() {
    Frame3 = makeFrame(centralWidget(), QStringLiteral("Frame3"), QString(),
                       twipsRect(120, 4080, 3975, 855));

    Command1 = new QPushButton(QStringLiteral("&Press ENTER to Start"), Frame3);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(120, 240, 3735, 495));
    QFont font(QStringLiteral("MS Sans Serif"), 12);
    font.setBold(true);
    Command1->setFont(font);
    Command1->setToolTip(QStringLiteral("Press ENTER to start"));
    Command1->setDefault(true);
}

void Form1::createButtonFrame() {
    Frame1 = makeFrame(centralWidget(), QStringLiteral("Frame1"),
                       QStringLiteral("Button Configuration"), twipsRect(120, 3480, 3975, 615));

    Option2[2] = makeOption(Frame1, QStringLiteral("Option2_2"), QStringLiteral("Middle"),
                            twipsRect(1560, 285, 1095, 255));
    Option2[1] = makeOption(Frame1, QStringLiteral("Option2_1"), QStringLiteral("Right"),
                            twipsRect(2880, 285, 855, 255));
    Option2[0] = makeOption(Frame1, QStringLiteral("Option2_0"), QStringLiteral("Left"),
                            twipsRect(360, 285, 855, 255));
    Option2[0]->setChecked(true);
    setTextColour(*Option2[0], kBlueText);
}

void Form1::createSpeedFrame() {
    Frame2 = makeFrame(centralWidget(), QStringLiteral("Frame2"), QStringLiteral("Speed"),
                       twipsRect(120, 120, 3975, 3255));

    HScroll1[HoursRow] = makeScrollBar(Frame2, HoursRow, 1560, 0, 60, 0);
    HScroll1[SpeedRow] = makeScrollBar(Frame2, SpeedRow, 840, 5, 999, 10);
    Check1 = new QCheckBox(QStringLiteral("Amount"), Frame2);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(twipsRect(480, 2520, 1095, 255));
    HScroll1[AmountRow] = makeScrollBar(Frame2, AmountRow, 2880, 1, 30000, 1);
    HScroll1[AmountRow]->setEnabled(false);
    HScroll1[SecondsRow] = makeScrollBar(Frame2, SecondsRow, 2040, 0, 60, 0);
    HScroll1[MinutesRow] = makeScrollBar(Frame2, MinutesRow, 1800, 0, 60, 0);
    Option1[1] = makeOption(Frame2, QStringLiteral("Option1_1"), QStringLiteral("Fast Delay"),
                            twipsRect(480, 480, 1815, 255));
    Option1[0] = makeOption(Frame2, QStringLiteral("Option1_0"), QStringLiteral("Slow Delay"),
                            twipsRect(480, 1200, 1575, 255));
    Option1[1]->setChecked(true);

    Label1[HoursRow] = makeLabel(Frame2, QStringLiteral("Label1_4"), QStringLiteral("Hours"),
                                 twipsRect(1080, 1560, 1095, 255));
    HoursLbl = makeValueLabel(Frame2, QStringLiteral("HoursLbl"), QStringLiteral("0"), 1560);
    Label1[SpeedRow] = makeLabel(Frame2, QStringLiteral("Label1_3"), QStringLiteral("th / Sec."),
                                 twipsRect(1080, 840, 1095, 255));
    SpeedLbl = makeValueLabel(Frame2, QStringLiteral("SpeedLbl"), QStringLiteral("100"), 840);

    Line1 = new QFrame(Frame2);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    Line1->setGeometry(QRect(pixels(240), pixels(2400), pixels(3720 - 240), 1));

    Label1[AmountRow] = makeLabel(Frame2, QStringLiteral("Label1_2"), QStringLiteral("Clicks"),
                                  twipsRect(1080, 2880, 1095, 255));
    AmountLbl = makeValueLabel(Frame2, QStringLiteral("AmountLbl"), QStringLiteral("1"), 2880);

    TimeLbl = new ClickCountLabel(QStringLiteral("0"), Frame2);
    TimeLbl->setGeometry(twipsRect(2160, 480, 1335, 255));
    TimeLbl->setObjectName(QStringLiteral("TimeLbl"));
    TimeLbl->setAlignment(Qt::AlignCenter);
    setTextColour(*TimeLbl, kDarkRedText);

    Label2[0] = makeLabel(Frame2, QStringLiteral("Label2_0"), QStringLiteral("Total Clicks:"),
                          twipsRect(2160, 240, 1335, 255));
    Label2[0]->setAlignment(Qt::AlignCenter);
    QFont serif(QStringLiteral("MS Serif"));
    serif.setPointSizeF(9.75);
    serif.setBold(false);
    Label2[0]->setFont(serif);

    SecLbl = makeValueLabel(Frame2, QStringLiteral("SecLbl"), QStringLiteral("0"), 2040);
    MinLbl = makeValueLabel(Frame2, QStringLiteral("MinLbl"), QStringLiteral("0"), 1800);
    Label1[SecondsRow] = makeLabel(Frame2, QStringLiteral("Label1_1"), QStringLiteral("Seconds"),
                                   twipsRect(1080, 2040, 1095, 255));
    Label1[MinutesRow] = makeLabel(Frame2, QStringLiteral("Label1_0"), QStringLiteral("Minutes"),
                                   twipsRect(1080, 1800, 1095, 255));
}

void Form1::createMenus() {
    // Every item, separators too, carries its name as its object name.
    const auto named = [](QAction* action, const char* name) {
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QMenuBar* bar = menuBar();
    optioinsmnu = bar->addMenu(QStringLiteral("&File"));
    optioinsmnu->setObjectName(QStringLiteral("optioinsmnu"));
    Showmnu = named(optioinsmnu->addAction(QStringLiteral("Show")), "Showmnu");
    bar3 = named(optioinsmnu->addSeparator(), "bar3");
    Startupatlogonmnu = named(optioinsmnu->addAction(QStringLiteral("Place shortcut in startup")),
                              "Startupatlogonmnu");
    bar5 = named(optioinsmnu->addSeparator(), "bar5");
    AutoHideonstartupmnu =
        named(optioinsmnu->addAction(QStringLiteral("Hide on startup")), "AutoHideonstartupmnu");
    StartStopKeymnu =
        named(optioinsmnu->addAction(QStringLiteral("Start/Stop Key: F6...")), "StartStopKeymnu");
    bar6 = named(optioinsmnu->addSeparator(), "bar6");
    Exitmnu = named(optioinsmnu->addAction(QStringLiteral("Exit")), "Exitmnu");
    Helpmnu = named(bar->addAction(QStringLiteral("H&elp")), "Helpmnu");
    Aboutmnu = named(bar->addAction(QStringLiteral("&About")), "Aboutmnu");
    Show2mnu = named(bar->addAction(QStringLiteral("&Hide")), "Show2mnu");
}

void Form1::createTimers() {
    // The timers are no QObjects and have no names; the tests tell them apart by the order
    // they are asked of the platform: Timer3, Timer2, Timer1.
    Timer3 = m_platform.newTickSource();
    Timer3->setInterval(ClickRun::kWatchMs);
    Timer2 = m_platform.newTickSource();
    Timer2->setInterval(1000);
    Timer1 = m_platform.newClickTimer();
}

void Form1::setTabOrder() {
    // The focusable controls in the order of their tab indices.
    QWidget* const order[] = {Option1[0],           Option1[1],          HScroll1[MinutesRow],
                              HScroll1[SecondsRow], HScroll1[AmountRow], Check1,
                              HScroll1[SpeedRow],   Option2[0],          Option2[1],
                              Option2[2],           HScroll1[HoursRow],  Command1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // An option group is one tab stop, at its selected option; the arrow keys move within
    // the group. Only the selected option takes the focus from TAB.
    const auto tabStopAtSelection = [](QRadioButton* option) {
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(option, &QRadioButton::toggled, option, [option](bool on) {
            option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        });
    };
    for (QRadioButton* option : Option1)
        tabStopAtSelection(option);
    for (QRadioButton* option : Option2)
        tabStopAtSelection(option);

    // The window opens with the focus on its first tab stop.
    for (QWidget* stop : order) {
        if (stop->isEnabled() && (stop->focusPolicy() & Qt::TabFocus)) {
            stop->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

} // namespace tivrel
