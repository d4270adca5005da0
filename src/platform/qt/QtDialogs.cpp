#include "platform/qt/QtDialogs.h"

#include "platform/qt/KeyChoiceBox.h"
#include "platform/qt/TabColumns.h"

#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
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

// With TIVREL_DIALOG_LOG naming a file, each box appends one line there as it opens:
// kind, title and text separated by tabs, with backslash, tab, CR and LF written as \\, \t,
// \r and \n. A box cannot be read from outside the program; this lets a script see what
// the program asks before it answers.
void logShown(const char* kind, const QString& title, const QString& text) {
    const QString path = qEnvironmentVariable("TIVREL_DIALOG_LOG");
    if (path.isEmpty())
        return;
    const auto escaped = [](QString field) {
        field.replace(u'\\', QStringLiteral("\\\\"));
        field.replace(u'\t', QStringLiteral("\\t"));
        field.replace(u'\r', QStringLiteral("\\r"));
        field.replace(u'\n', QStringLiteral("\\n"));
        return field;
    };
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qWarning("Tivrel: cannot write the dialog log %s: %s", qPrintable(path),
                 qPrintable(log.errorString()));
        return;
    }
    const QString line =
        QString::fromLatin1(kind) + u'\t' + escaped(title) + u'\t' + escaped(text) + u'\n';
    log.write(line.toUtf8());
    log.flush();
}

// Swallows ESC on its way to a box. A Yes/No box has no cancel button, so ESC must not
// answer it; QMessageBox would take "No" for one.
class IgnoreEscape final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel);
    }
};

} // namespace

QWidget* QtDialogs::visibleOwner() const {
    return m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
}

MessageAnswer QtDialogs::messageBox(const QString& prompt, MessageButtons buttons, MessageIcon icon,
                                    const QString& title) {
    const bool yesNo = buttons == MessageButtons::YesNo;
    QMessageBox box(toQt(icon), title, QString(),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, visibleOwner());
    // Whatever the text holds (a file's lines, a typed answer) is shown, never interpreted;
    // it is set in the font of the box's label, which the tab columns are measured in.
    box.setTextFormat(Qt::PlainText);
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    box.setText(
        alignTabColumns(forDisplay(prompt), label ? label->fontMetrics() : box.fontMetrics()));
    IgnoreEscape noEscape;
    if (yesNo)
        box.installEventFilter(&noEscape);
    logShown("message", title, prompt);
    const int result = box.exec();
    if (!yesNo)
        return MessageAnswer::Ok;
    return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title,
                            const QString& defaultAnswer) {
    bool accepted = false;
    logShown("input", title, prompt);
    const QString answer = QInputDialog::getText(visibleOwner(), title, forDisplay(prompt),
                                                 QLineEdit::Normal, defaultAnswer, &accepted);
    return accepted ? answer : QString();
}

} // namespace tivrel

namespace tivrel {

std::optional<QString> QtDialogs::chooseKey(const QString& current) {
    KeyChoiceBox box(current, visibleOwner());
    logShown("key", box.windowTitle(), current);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.choice();
}

} // namespace tivrel
