#include "platform/qt/KeyChoiceBox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tivrel {

namespace {

bool isModifier(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

QPushButton* unfocusedButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

} // namespace

KeyChoiceBox::KeyChoiceBox(const QString& current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("KeyChoiceBox"));
    setWindowTitle(QStringLiteral("Start/Stop Key"));
    auto* text = new QLabel(
        QStringLiteral("Press the key that starts and stops the clicks wherever the pointer "
                       "is.\n\nNow: %1")
            .arg(current.isEmpty() ? QStringLiteral("None") : current),
        this);
    text->setTextFormat(Qt::PlainText);
    auto* none = unfocusedButton(QStringLiteral("None"), this);
    none->setObjectName(QStringLiteral("None"));
    auto* cancel = unfocusedButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(none, &QPushButton::clicked, this, [this] {
        m_choice = QString();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(none);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
}

std::optional<QString> KeyChoiceBox::keyName(int key, Qt::KeyboardModifiers modifiers) {
    if (isModifier(key))
        return std::nullopt;
    // Keypad keys are named as the keys they repeat; the keypad is no modifier here.
    const QKeySequence sequence(QKeyCombination(
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
        Qt::Key(key)));
    return sequence.toString(QKeySequence::PortableText);
}

bool KeyChoiceBox::event(QEvent* event) {
    // Before the dialog's own handling, which would take ESC, ENTER and Tab for itself.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::event(event);
    const auto* press = static_cast<QKeyEvent*>(event);
    if (press->key() == Qt::Key_Escape && press->modifiers() == Qt::NoModifier) {
        reject();
        return true;
    }
    if (const std::optional<QString> name = keyName(press->key(), press->modifiers())) {
        m_choice = name;
        accept();
    }
    return true;
}

} // namespace tivrel
