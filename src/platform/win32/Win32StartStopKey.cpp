#include "platform/win32/Win32StartStopKey.h"

#include <QKeySequence>
#include <QtGlobal>

#include <windows.h>

#include <optional>

namespace tivrel {

namespace {

constexpr int kHotKeyId = 1;
constexpr UINT_PTR kKeyUpTimer = 1;
constexpr UINT kKeyUpLookMs = 30;
constexpr wchar_t kWindowClass[] = L"TivrelStartStopKey";

HWND asWindow(void* window) {
    return static_cast<HWND>(window);
}

LRESULT CALLBACK keyWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* key = reinterpret_cast<Win32StartStopKey*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (key && message == WM_HOTKEY && wParam == kHotKeyId) {
        key->hotKey();
        return 0;
    }
    if (key && message == WM_TIMER && wParam == kKeyUpTimer) {
        key->lookAtTheKey();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct HotKey {
    UINT modifiers;
    UINT virtualKey;
};

UINT virtualKeyOf(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + UINT(key - Qt::Key_F1);
    // Letters and digits are their own upper-case ASCII codes, in Qt and in Windows.
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return UINT(key);
    switch (key) {
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

// The hot key for a key in Qt's portable text ("F6", "Ctrl+Alt+K").
std::optional<HotKey> hotKeyOf(const QString& text) {
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const UINT virtualKey = virtualKeyOf(combination.key());
    if (virtualKey == 0)
        return std::nullopt;
    UINT modifiers = MOD_NOREPEAT;
    const Qt::KeyboardModifiers held = combination.keyboardModifiers();
    if (held & Qt::ControlModifier)
        modifiers |= MOD_CONTROL;
    if (held & Qt::ShiftModifier)
        modifiers |= MOD_SHIFT;
    if (held & Qt::AltModifier)
        modifiers |= MOD_ALT;
    if (held & Qt::MetaModifier)
        modifiers |= MOD_WIN;
    return HotKey{modifiers, virtualKey};
}

} // namespace

Win32StartStopKey::Win32StartStopKey() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &keyWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    // A second object registers the class again, which fails harmlessly.
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, kWindowClass, L"Tivrel start/stop key", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window) {
        qWarning("Tivrel: no window for the start/stop key (error %lu)", GetLastError());
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
}

Win32StartStopKey::~Win32StartStopKey() {
    letGo();
    if (m_window)
        DestroyWindow(asWindow(m_window));
}

void Win32StartStopKey::hotKey() {
    if (m_down)
        return;
    m_down = true;
    SetTimer(asWindow(m_window), kKeyUpTimer, kKeyUpLookMs, nullptr);
    pressed();
}

void Win32StartStopKey::lookAtTheKey() {
    if (GetAsyncKeyState(int(m_virtualKey)) & 0x8000)
        return;
    m_down = false;
    KillTimer(asWindow(m_window), kKeyUpTimer);
}

void Win32StartStopKey::letGo() {
    if (!m_held.isEmpty() && m_window)
        UnregisterHotKey(asWindow(m_window), kHotKeyId);
    if (m_window)
        KillTimer(asWindow(m_window), kKeyUpTimer);
    m_held.clear();
    m_down = false;
}

StartStopKey::Result Win32StartStopKey::hold(const QString& key) {
    letGo();
    if (key.isEmpty())
        return Result::Held;
    const std::optional<HotKey> hotKey = hotKeyOf(key);
    if (!hotKey || !m_window)
        return Result::Refused;
    if (!RegisterHotKey(asWindow(m_window), kHotKeyId, hotKey->modifiers, hotKey->virtualKey)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HOTKEY_ALREADY_REGISTERED)
            return Result::Taken;
        qWarning("Tivrel: Windows refused the start/stop key %s (error %lu)", qPrintable(key),
                 error);
        return Result::Refused;
    }
    m_held = key;
    m_virtualKey = hotKey->virtualKey;
    return Result::Held;
}

} // namespace tivrel
