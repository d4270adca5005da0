#include "shell/Form3.h"

#include "widgets/Minimize.h"
#include "widgets/ProgramIcon.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace tivrel {

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int left) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(twipsRect(left, 7440, 2655, 375));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setBold(false);
    button->setFont(font);
    // Neither button answers ENTER or ESC by itself.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Longer runs without a blank are broken anywhere. Qt looks for a word boundary before it
// breaks a word, from the start of the word again for every line it fills: a terms file
// without a single blank in a megabyte took more than a minute to lay out.
constexpr qsizetype kLongestWordWrappedAtBoundary = 1000;

bool hasOverlongWord(const QString& text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWordWrappedAtBoundary)
            return true;
    }
    return false;
}

} // namespace

Form3::Form3(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Disclaimer Notice"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setFixedSize(pixels(8115), pixels(7950));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(0, 0, 8055, 7215));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("&Decline"), 720);
    Command2 = makeButton(this, QStringLiteral("Command2"), QStringLiteral("&Accept"), 5040);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, [this] {
        m_outcome = Declined;
        done(Declined);
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        m_outcome = Accepted;
        done(Accepted);
    });

    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    // Until it is answered the notice is the only way on: minimized, it comes straight back.
    onMinimized(*this, [this] { restoreFromMinimized(*this); });
}

void Form3::keyPressEvent(QKeyEvent* event) {
    // Neither button is a cancel button: ESC leaves the notice where it is.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form3::LoadText(const QStringList& lines) {
    // Plain text: the terms file is shown as it is, never interpreted.
    QString text = Text1->toPlainText();
    for (const QString& line : lines)
        text += line + u'\n';
    Text1->setWordWrapMode(hasOverlongWord(text) ? QTextOption::WrapAnywhere
                                                 : QTextOption::WrapAtWordBoundaryOrAnywhere);
    Text1->setPlainText(text);
}

} // namespace tivrel
