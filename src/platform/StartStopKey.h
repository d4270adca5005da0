#pragma once

#include <QString>

#include <functional>

namespace tivrel {

// One key that starts and stops a run whatever window has the focus: the program holds it
// for itself, so the focused program never gets it. Keys are named as Qt names them in
// portable text ("F6", "Ctrl+Alt+K"); each system's backend turns that into its own terms.
class StartStopKey {
public:
    enum class Result {
        Held,       // the key is the program's until let go, or the program ends
        Taken,      // another program holds that key
        NotOffered, // this desktop lets no program have a key of its own
        Refused,    // the desktop, or its user, said no, or its service failed
        // The desktop took the program's shortcut but gave it no key: its own shortcut settings
        // are where the user gives it one (or another program holds the key asked for).
        Unassigned,
    };

    virtual ~StartStopKey() = default;
    // Holds `key` instead of whatever key was held before; an empty key holds none. A key that
    // is held down does not repeat: one press, one call of the pressed handler.
    virtual Result hold(const QString& key) = 0;
    // The key as the desktop has it now, which its own settings may have changed (a desktop
    // that lets its user choose); empty when none is held.
    virtual QString heldKey() const = 0;
    // Whether the desktop shows the user its own dialog to choose or confirm the key.
    virtual bool desktopChooses() const { return false; }

    // Each press of the held key, on the UI thread.
    void onPressed(std::function<void()> handler) { m_pressed = std::move(handler); }
    // The desktop took the key back (its session ended), on the UI thread.
    void onLost(std::function<void()> handler) { m_lost = std::move(handler); }
    // The desktop's own settings gave the shortcut another key, or none (heldKey() tells which),
    // on the UI thread.
    void onChanged(std::function<void()> handler) { m_changed = std::move(handler); }

protected:
    void pressed() const {
        if (m_pressed)
            m_pressed();
    }
    void lost() const {
        if (m_lost)
            m_lost();
    }
    void changed() const {
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_pressed;
    std::function<void()> m_lost;
    std::function<void()> m_changed;
};

// A system without global keys: every key is not offered.
class NoStartStopKey final : public StartStopKey {
public:
    Result hold(const QString& key) override {
        return key.isEmpty() ? Result::Held : Result::NotOffered;
    }
    QString heldKey() const override { return {}; }
};

} // namespace tivrel
