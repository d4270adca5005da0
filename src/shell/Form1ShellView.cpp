#include "shell/Form1ShellView.h"

#include "engine/ClickRun.h"
#include "platform/ClickTimer.h"
#include "platform/TickSource.h"
#include "ui/Form1.h"

#include <QAction>

namespace tivrel {

QWidget& Form1ShellView::widget() {
    return m_form;
}

bool Form1ShellView::isShown() const {
    return m_form.isVisible();
}

void Form1ShellView::setShown(bool shown) {
    m_form.setVisible(shown);
}

void Form1ShellView::close() {
    m_form.close();
}

bool Form1ShellView::isShowItemShown() const {
    return m_form.Showmnu->isVisible();
}

void Form1ShellView::setShowItemShown(bool shown) {
    m_form.Showmnu->setVisible(shown);
    m_form.bar3->setVisible(shown);
}

void Form1ShellView::setShowItemCaption(const QString& caption) {
    m_form.Showmnu->setText(caption);
}

void Form1ShellView::setStartupVisibilityCaption(const QString& caption) {
    m_form.AutoHideonstartupmnu->setText(caption);
}

void Form1ShellView::setStartupShortcutCaption(const QString& caption) {
    m_form.Startupatlogonmnu->setText(caption);
}

void Form1ShellView::setStartStopKeyCaption(const QString& caption) {
    m_form.StartStopKeymnu->setText(caption);
}

bool Form1ShellView::isRunning() const {
    return m_form.engine().isRunning();
}

void Form1ShellView::pressStartButton() {
    m_form.Command1_Click();
}

void Form1ShellView::setStartingValues() {
    m_form.setStartingValues();
}

void Form1ShellView::resetClickCount() {
    m_form.resetClickCount();
}

void Form1ShellView::stopTimers() {
    m_form.Timer1->stop();
    m_form.Timer2->setEnabled(false);
    m_form.Timer3->setEnabled(false);
}

QMenu& Form1ShellView::fileMenu() {
    return *m_form.optioinsmnu;
}

void Form1ShellView::setCloseHandler(std::function<void(QCloseEvent&)> handler) {
    m_form.setCloseHandler(std::move(handler));
}

void Form1ShellView::onCommand(ShellCommand command, std::function<void()> handler) {
    QAction* item = nullptr;
    switch (command) {
    case ShellCommand::Exit:
        item = m_form.Exitmnu;
        break;
    case ShellCommand::Hide:
        item = m_form.Show2mnu;
        break;
    case ShellCommand::Show:
        item = m_form.Showmnu;
        break;
    case ShellCommand::StartupVisibility:
        item = m_form.AutoHideonstartupmnu;
        break;
    case ShellCommand::StartupShortcut:
        item = m_form.Startupatlogonmnu;
        break;
    case ShellCommand::StartStopKey:
        item = m_form.StartStopKeymnu;
        break;
    case ShellCommand::Help:
        item = m_form.Helpmnu;
        break;
    case ShellCommand::About:
        item = m_form.Aboutmnu;
        break;
    }
    QObject::connect(item, &QAction::triggered, &m_form,
                     [handler = std::move(handler)] { handler(); });
}

} // namespace tivrel
