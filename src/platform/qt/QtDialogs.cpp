#include "platform/qt/QtDialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace tivrel {

namespace {

// The program writes its line breaks as CR LF; Qt's labels break at LF.
QString forDisplay(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget* QtDialogs::visibleOwner() const {
    return m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
}

MessageAnswer QtDialogs::messageBox(const QString& prompt, MessageButtons buttons, MessageIcon icon,
                                    const QString& title) {
    const bool yesNo = buttons == MessageButtons::YesNo;
    QMessageBox box(toQt(icon), title, forDisplay(prompt),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, visibleOwner());
    // Whatever the text holds (a file's lines, a typed answer) is shown, never interpreted.
    box.setTextFormat(Qt::PlainText);
    if (yesNo)
        box.setEscapeButton(QMessageBox::No);
    const int result = box.exec();
    if (!yesNo)
        return MessageAnswer::Ok;
    return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title,
                            const QString& defaultAnswer) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(visibleOwner(), title, forDisplay(prompt),
                                                 QLineEdit::Normal, defaultAnswer, &accepted);
    return accepted ? answer : QString();
}

} // namespace tivrel
