#include "ui/Form1RunView.h"

#include "platform/ClickTimer.h"
#include "platform/TickSource.h"
#include "ui/Form1.h"
#include "widgets/ClickableLabel.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace tivrel {

RunChoices Form1RunView::choices() const {
    const auto value = [this](int row) { return m_form.HScroll1.at(row)->value(); };
    return RunChoices{
        .fast = !m_form.Option1.at(0)->isChecked(),
        .intervalMs = value(SpeedRow),
        .hours = value(HoursRow),
        .minutes = value(MinutesRow),
        .seconds = value(SecondsRow),
        .buttonCode = m_form.Option2.at(0)->isChecked()   ? LeftButton
                      : m_form.Option2.at(1)->isChecked() ? RightButton
                                                          : MiddleButton,
        .amountOn = m_form.Check1->isChecked(),
        .amount = value(AmountRow),
    };
}

void Form1RunView::setClickCountText(const QString& text) {
    m_form.TimeLbl->setText(text);
}

QString Form1RunView::startCaption() const {
    return m_form.Command1->text();
}

void Form1RunView::setStartCaption(const QString& caption) {
    m_form.Command1->setText(caption);
}

TickSource& Form1RunView::timer(RunTimer which) {
    return which == RunTimer::Timer2 ? *m_form.Timer2 : *m_form.Timer3;
}

ClickTimer& Form1RunView::clickTimer() {
    return *m_form.Timer1;
}

void Form1RunView::focusMainWindow() {
    // A window hidden to the tray cannot take the focus; it gets it when shown again.
    if (!m_form.isVisible())
        return;
    m_form.activateWindow();
    m_form.setFocus();
}

} // namespace tivrel
