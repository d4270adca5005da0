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

    // The window's procedure: the key was pressed.
    void hotKey() const { pressed(); }

private:
    void letGo();

    void* m_window = nullptr; // HWND
    QString m_held;
};

} // namespace tivrel
