#include "platform/wayland/ShortcutTrigger.h"

#include <QKeySequence>

namespace tivrel {

namespace {

// XKB's names of the keys that are not a letter, a digit or a function key.
QString namedKey(Qt::Key key) {
    static const struct {
        Qt::Key key;
        const char* name;
    } kNames[] = {
        {Qt::Key_Space, "space"},
        {Qt::Key_Return, "Return"},
        {Qt::Key_Enter, "KP_Enter"},
        {Qt::Key_Escape, "Escape"},
        {Qt::Key_Tab, "Tab"},
        {Qt::Key_Backspace, "BackSpace"},
        {Qt::Key_Insert, "Insert"},
        {Qt::Key_Delete, "Delete"},
        {Qt::Key_Home, "Home"},
        {Qt::Key_End, "End"},
        {Qt::Key_PageUp, "Page_Up"},
        {Qt::Key_PageDown, "Page_Down"},
        {Qt::Key_Left, "Left"},
        {Qt::Key_Up, "Up"},
        {Qt::Key_Right, "Right"},
        {Qt::Key_Down, "Down"},
        {Qt::Key_Print, "Print"},
        {Qt::Key_Pause, "Pause"},
        {Qt::Key_ScrollLock, "Scroll_Lock"},
        {Qt::Key_Menu, "Menu"},
        {Qt::Key_Comma, "comma"},
        {Qt::Key_Period, "period"},
        {Qt::Key_Slash, "slash"},
        {Qt::Key_Backslash, "backslash"},
        {Qt::Key_Semicolon, "semicolon"},
        {Qt::Key_Apostrophe, "apostrophe"},
        {Qt::Key_QuoteLeft, "grave"},
        {Qt::Key_BracketLeft, "bracketleft"},
        {Qt::Key_BracketRight, "bracketright"},
        {Qt::Key_Minus, "minus"},
        {Qt::Key_Equal, "equal"},
        {Qt::Key_Plus, "plus"},
        {Qt::Key_Asterisk, "asterisk"},
    };
    for (const auto& named : kNames)
        if (named.key == key)
            return QString::fromLatin1(named.name);
    return {};
}

} // namespace

QString shortcutTrigger(const QString& portableKey) {
    const QKeySequence sequence = QKeySequence::fromString(portableKey, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return {};
    const QKeyCombination combination = sequence[0];
    const Qt::Key key = combination.key();
    QString name;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        name = QChar(u'a' + (key - Qt::Key_A));
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        name = QChar(u'0' + (key - Qt::Key_0));
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        name = QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    else
        name = namedKey(key);
    if (name.isEmpty())
        return {};

    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QString trigger;
    for (const auto& [modifier, word] :
         {std::pair{Qt::ControlModifier, "CTRL+"}, std::pair{Qt::AltModifier, "ALT+"},
          std::pair{Qt::ShiftModifier, "SHIFT+"}, std::pair{Qt::MetaModifier, "LOGO+"},
          std::pair{Qt::KeypadModifier, "NUM+"}})
        if (modifiers & modifier)
            trigger += QLatin1String(word);
    return trigger + name;
}

} // namespace tivrel
