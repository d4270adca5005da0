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

bool Form1RunView::isDelayOptionSelected(int index) const {
    return m_form.Option1.at(index)->isChecked();
}

bool Form1RunView::isButtonOptionSelected(int index) const {
    return m_form.Option2.at(index)->isChecked();
}

int Form1RunView::scrollValue(int row) const {
    return m_form.HScroll1.at(row)->value();
}

int Form1RunView::amountSwitch() const {
    return m_form.Check1->isChecked() ? 1 : 0;
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
