#include "ui/Form1.h"

#include "engine/ClickRun.h"
#include "platform/Platform.h"
#include "ui/Form1RunView.h"
#include "ui/ValueEntry.h"
#include "widgets/ClickableLabel.h"
#include "widgets/TextColour.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>

namespace tivrel {

Form1::Form1(Platform& platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_runView(std::make_unique<Form1RunView>(*this)),
      m_run(std::make_unique<ClickRun>(*m_runView, platform.mouse, platform.pointerWatch,
                                       platform.dialogs, platform.timeOfDay)) {
    setObjectName(QStringLiteral("Form1"));
    createWindow();
    createStartFrame();
    createButtonFrame();
    createSpeedFrame();
    createMenus();
    createTimers();
    setTabOrder();
    connectEvents();
    // The selected delay mode sets which rows can be used, as if it had just been chosen.
    Option1_Click(1);

    setFixedSize(centralWidget()->width(),
                 centralWidget()->height() + menuBar()->sizeHint().height());
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
}

Form1::~Form1() = default;

void Form1::connectEvents() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // ENTER presses the start button whichever control has the focus.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        enter->setContext(Qt::WindowShortcut);
        connect(enter, &QShortcut::activated, Command1, &QPushButton::click);
    }
    Timer2->onTick([this] { Timer2_Timer(); });
    Timer3->onTick([this] { Timer3_Timer(); });
    for (int row = 0; row < kValueRows; ++row) {
        connect(HScroll1[row], &QScrollBar::valueChanged, this,
                [this, row] { HScroll1_Change(row); });
        connect(valueLabel(row), &ClickableLabel::clicked, this,
                [this, row] { valueLabelClick(row); });
    }
    for (int i = 0; i < int(Option1.size()); ++i) {
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }
    for (int i = 0; i < int(Option2.size()); ++i) {
        connect(Option2[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option2_Click(i);
        });
    }
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
}

ClickableLabel* Form1::valueLabel(int row) const {
    const std::array<ClickableLabel*, kValueRows> labels{MinLbl, SecLbl, AmountLbl, SpeedLbl,
                                                         HoursLbl};
    return labels.at(row);
}

void Form1::setStartingValues() {
    for (const int row : {MinutesRow, SecondsRow, HoursRow})
        HScroll1[row]->setEnabled(false);
    m_run->ElapsedSeconds = 0;
    m_run->ElapsedMinutes = 0;
    m_run->ElapsedHours = 0;
    AmountLbl->setText(QStringLiteral("1"));
    HScroll1[MinutesRow]->setValue(0);
    HScroll1[SecondsRow]->setValue(0);
    HScroll1[AmountRow]->setValue(1);
    HScroll1[SpeedRow]->setValue(100);
    HScroll1[HoursRow]->setValue(0);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_closeHandler)
        m_closeHandler(*event);
    else
        QMainWindow::closeEvent(event);
}

void Form1::Command1_Click() {
    m_run->Command1_Click();
}
void Form1::Timer2_Timer() {
    m_run->Timer2_Timer();
}
void Form1::Timer3_Timer() {
    m_run->Timer3_Timer();
}

void Form1::HScroll1_Change(int index) {
    if (index < 0 || index >= kValueRows)
        return;
    valueLabel(index)->setText(QString::number(HScroll1[index]->value()));
    // The amount and the slow period take effect in a run under way.
    m_run->choicesChanged();
}

void Form1::Option1_Click(int index) {
    const bool slow = index == 0;
    HScroll1[MinutesRow]->setEnabled(slow);
    HScroll1[SecondsRow]->setEnabled(slow);
    HScroll1[SpeedRow]->setEnabled(!slow);
    HScroll1[HoursRow]->setEnabled(slow);
    SpeedLbl->setEnabled(!slow);
    HoursLbl->setEnabled(slow);
    MinLbl->setEnabled(slow);
    SecLbl->setEnabled(slow);
    resetClickCount();
}

void Form1::resetClickCount() {
    if (!m_run->isRunning())
        TimeLbl->setText(QStringLiteral("0"));
}

void Form1::Option2_Click(int index) {
    for (int i = 0; i < int(Option2.size()); ++i) {
        if (i == index)
            setTextColour(*Option2[i], kBlueText);
        else
            resetTextColour(*Option2[i]);
    }
    m_run->choicesChanged();
}

void Form1::Check1_Click() {
    const int value = Check1->isChecked() ? 1 : 0;
    HScroll1[AmountRow]->setEnabled(value == 1);
    AmountLbl->setEnabled(value == 1);
    m_run->choicesChanged();
}

void Form1::valueLabelClick(int row) {
    const ValueRange range = valueRange(row);
    InputValue(*valueLabel(row), range.minimum, range.maximum, *HScroll1[row]);
}

void Form1::InputValue(QLabel& label, int minimum, int maximum, QScrollBar& bar) {
    ValueEntry entry{m_platform.dialogs, [this] { m_platform.stacking.makeNotOnTop(*this); },
                     [this] { m_platform.stacking.makeOnTop(*this); }};
    entry.InputValue(label, minimum, maximum, bar);
}

} // namespace tivrel
