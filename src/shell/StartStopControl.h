#pragma once

#include "platform/CopyChannel.h"
#include "platform/StartStopKey.h"

#include <QString>

#include <functional>
#include <optional>

namespace tivrel {

class Dialogs;
class SettingsStore;
class ShellWindow;

// Starting and stopping a run from outside the window: the start/stop key, pressed whatever
// window has the focus, and the requests of a second copy (`tivrel --toggle`). Either does
// what ENTER does in the window, except that while one of the program's own boxes is open it
// only stops: the user is answering the box, and a run must never start behind it.
class StartStopControl {
public:
    static inline const QString kSection = QStringLiteral("Keys");
    static inline const QString kKeyName = QStringLiteral("StartStop");
    // The situation the user was last told of ("Taken F6"), so that a desktop that never
    // offers a key does not say so at every start.
    static inline const QString kToldName = QStringLiteral("Told");
    static inline const QString kDefaultKey = QStringLiteral("F6");
    static inline const QString kNoKey = QStringLiteral("None");

    StartStopControl(ShellWindow& window, StartStopKey& key, CopyChannel& channel,
                     SettingsStore& settings, Dialogs& dialogs, std::function<bool()> boxOpen);
    ~StartStopControl();

    // Takes a second copy's requests from now on; they do nothing until bind().
    void listen();
    // Start-up, once the terms are accepted: holds the stored key.
    void bind();
    // Every way out: lets go of the key; nothing starts or stops the run any more.
    void release();

    // The "Start/Stop Key" item: the key box, then the key chosen stored and held.
    void StartStopKeymnu_Click();

    // The key, pressed anywhere.
    void pressed();
    void request(CopyRequest request);

private:
    // The stored choice: the key, or empty for none.
    QString storedKey();
    void hold(const QString& key, bool chosenNow);
    void showCaption();
    void tell(const QString& situation, const QString& text, bool chosenNow);

    ShellWindow& m_window;
    StartStopKey& m_key;
    CopyChannel& m_channel;
    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    std::function<bool()> m_boxOpen;
    bool m_bound = false;
    QString m_wanted; // the key the user chose; empty for none
    std::optional<StartStopKey::Result> m_result;
    bool m_lost = false;
};

} // namespace tivrel
