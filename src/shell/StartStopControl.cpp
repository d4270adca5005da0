#include "shell/StartStopControl.h"

#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "shell/ShellWindow.h"

#include <QtGlobal>

namespace tivrel {

namespace {

const QString kBindCommand = QStringLiteral("tivrel --toggle");

QString shownKey(const QString& key) {
    return key.isEmpty() ? StartStopControl::kNoKey : key;
}

// Where the key cannot be had: what the item adds after it, and what the user is told once.
struct Unheld {
    QString state;
    QString situation; // kept under [Keys] Told, with the key after it
    bool sameForEveryKey = false;
    QString text;
};

Unheld unheld(StartStopKey::Result result, const QString& shown) {
    switch (result) {
    case StartStopKey::Result::Taken:
        return {QStringLiteral(" (taken)"), QStringLiteral("Taken"), false,
                QStringLiteral("Another program already uses the key %1, so it cannot start and "
                               "stop Tivrel's clicks. Choose another key under \"File\", "
                               "\"Start/Stop Key\", or end the program that holds %1.")
                    .arg(shown)};
    case StartStopKey::Result::NotOffered:
        return {QStringLiteral(" (not offered)"), QStringLiteral("NotOffered"), true,
                QStringLiteral("This desktop does not let programs have a key of their own, so "
                               "%1 cannot start and stop Tivrel's clicks. Bind the command \"%2\" "
                               "to a key in the desktop's keyboard settings instead: it starts "
                               "and stops the clicks as ENTER does in Tivrel's window.")
                    .arg(shown, kBindCommand)};
    case StartStopKey::Result::Unassigned:
        return {QStringLiteral(" (not given)"), QStringLiteral("Unassigned"), false,
                QStringLiteral("The desktop did not give Tivrel the key %1: another program may "
                               "use it, or the desktop has the key given in its own keyboard "
                               "shortcut settings. Give Tivrel's \"Start or stop a click run\" a "
                               "key there, or choose another key under \"File\", \"Start/Stop "
                               "Key\".")
                    .arg(shown)};
    case StartStopKey::Result::Refused:
        return {QStringLiteral(" (refused)"), QStringLiteral("Refused"), false,
                QStringLiteral("The desktop did not give Tivrel the key %1. Choose another key "
                               "under \"File\", \"Start/Stop Key\", or bind the command \"%2\" "
                               "to a key in the desktop's keyboard settings.")
                    .arg(shown, kBindCommand)};
    case StartStopKey::Result::Held:
        break;
    }
    return {};
}

} // namespace

StartStopControl::StartStopControl(ShellWindow& window, StartStopKey& key, CopyChannel& channel,
                                   SettingsStore& settings, Dialogs& dialogs,
                                   std::function<bool()> boxOpen)
    : m_window(window), m_key(key), m_channel(channel), m_settings(settings), m_dialogs(dialogs),
      m_boxOpen(std::move(boxOpen)) {
    m_key.onPressed([this] { pressed(); });
    m_key.onLost([this] {
        m_lost = true;
        showCaption();
        tell(QString(),
             QStringLiteral("The desktop took the key %1 back from Tivrel. Choose the key again "
                            "under \"File\", \"Start/Stop Key\".")
                 .arg(shownKey(m_wanted)),
             true);
    });
    // A key given in the desktop's own shortcut settings works from then on.
    m_key.onChanged([this] {
        if (m_result == StartStopKey::Result::Held || m_result == StartStopKey::Result::Unassigned)
            m_result = m_key.heldKey().isEmpty() ? StartStopKey::Result::Unassigned
                                                 : StartStopKey::Result::Held;
        showCaption();
    });
}

StartStopControl::~StartStopControl() {
    release();
    m_key.onPressed({});
    m_key.onLost({});
    m_key.onChanged({});
}

void StartStopControl::listen() {
    QString error;
    if (!m_channel.listen([this](CopyRequest r) { request(r); }, &error))
        qWarning("Tivrel: another copy cannot ask this one to start or stop: %s",
                 qPrintable(error));
}

QString StartStopControl::storedKey() {
    const QString stored = m_settings.read(kSection, kKeyName);
    if (stored.isEmpty())
        return kDefaultKey;
    if (stored == kNoKey)
        return {};
    return stored;
}

void StartStopControl::bind() {
    m_bound = true;
    hold(storedKey(), false);
}

void StartStopControl::release() {
    if (!m_bound)
        return;
    m_bound = false;
    m_key.hold(QString());
}

void StartStopControl::hold(const QString& key, bool chosenNow) {
    m_wanted = key;
    m_lost = false;
    m_result = m_key.hold(key);
    showCaption();
    if (*m_result == StartStopKey::Result::Held) {
        if (!m_settings.read(kSection, kToldName).isEmpty())
            m_settings.write(kSection, kToldName, QString(), nullptr);
        return;
    }
    const Unheld why = unheld(*m_result, shownKey(key));
    tell(why.situation + (why.sameForEveryKey ? QString() : QStringLiteral(" ") + key), why.text,
         chosenNow);
}

void StartStopControl::tell(const QString& situation, const QString& text, bool chosenNow) {
    // Told once: a start-up that finds what the user was already told says nothing; the
    // item keeps saying it. A key just chosen is always answered.
    if (!chosenNow && !situation.isEmpty() && m_settings.read(kSection, kToldName) == situation)
        return;
    if (!situation.isEmpty())
        m_settings.write(kSection, kToldName, situation, nullptr);
    m_dialogs.message(text, MessageButtons::Ok, MessageIcon::Exclamation);
}

void StartStopControl::showCaption() {
    QString key = m_wanted;
    QString state;
    if (m_lost)
        state = QStringLiteral(" (lost)");
    else if (m_result == StartStopKey::Result::Held && !m_key.heldKey().isEmpty())
        key = m_key.heldKey(); // the desktop's own choice, where it lets its user choose
    else if (m_result && m_result != StartStopKey::Result::Held)
        state = unheld(*m_result, QString()).state;
    m_window.setStartStopKeyCaption(QStringLiteral("Start/Stop Key: ") + shownKey(key) + state +
                                    QStringLiteral("..."));
}

void StartStopControl::StartStopKeymnu_Click() {
    const std::optional<QString> chosen = m_dialogs.chooseKey(m_wanted);
    if (!chosen)
        return;
    QString error;
    if (!m_settings.write(kSection, kKeyName, chosen->isEmpty() ? kNoKey : *chosen, &error)) {
        m_dialogs.messageBox(error, MessageButtons::Ok, MessageIcon::Critical, kApplicationTitle);
        return;
    }
    hold(*chosen, true);
}

void StartStopControl::pressed() {
    if (!m_bound)
        return;
    // A stop key always stops; a start waits until no box of the program is open.
    if (m_window.isRunning() || !(m_boxOpen && m_boxOpen()))
        m_window.pressStartButton();
}

void StartStopControl::request(CopyRequest request) {
    switch (request) {
    case CopyRequest::Toggle:
        pressed();
        return;
    case CopyRequest::Start:
        if (!m_window.isRunning())
            pressed();
        return;
    case CopyRequest::Stop:
        if (m_window.isRunning())
            pressed();
        return;
    }
}

} // namespace tivrel
