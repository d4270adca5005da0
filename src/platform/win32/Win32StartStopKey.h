#pragma once

#include "platform/StartStopKey.h"

namespace tivrel {

// The start/stop key as a hot key of Windows (RegisterHotKey), reported to a message-only
// window of its own, which the UI thread's message loop serves. The system gives the key to
// no other window while the program holds it, and MOD_NOREPEAT keeps a held key from
// repeating.
class Win32StartStopKey final : public StartStopKey {
public:
    Win32StartStopKey();
    ~Win32StartStopKey() override;
    Win32StartStopKey(const Win32StartStopKey&) = delete;
    Win32StartStopKey& operator=(const Win32StartStopKey&) = delete;

    Result hold(const QString& key) override;
    QString heldKey() const override { return m_held; }

    // The window's procedure: the system reported the key.
    void hotKey();
    // The window's procedure: time to look whether the key is up again.
    void lookAtTheKey();

private:
    void letGo();

    void* m_window = nullptr; // HWND
    QString m_held;
    unsigned m_virtualKey = 0;
    // Reported and not yet seen up: a system that repeats a held hot key (Wine ignores
    // MOD_NOREPEAT) reports it again meanwhile, which is no new press.
    bool m_down = false;
};

} // namespace tivrel
