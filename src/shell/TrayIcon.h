#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPointer>

#include <functional>

class QMenu;
class QWidget;

namespace tivrel {

class NotificationIcon;

// Window messages, as the hook sees them.
using WindowProc = std::function<qintptr(int message, qintptr wParam, qintptr lParam)>;

// What the notification area is told about the icon.
struct NotifyIconData {
    static constexpr int kTipSize = 64;
    quint32 cbSize = 0;
    quintptr hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    QIcon hIcon;
    QByteArray szTip = QByteArray(kTipSize, '\0');
};

// The program's one icon in the notification area. Its mouse notifications reach the main
// window as message 2025 through TrayWindowProc: a left or right button release opens the
// "&File" menu at the pointer; everything else goes on to the window's own procedure.
class TrayIcon {
public:
    static constexpr quint32 kCallbackMessage = 2025;
    enum Flags : quint32 { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4 };

    // popup opens the menu at the pointer; previous is the window's procedure before the hook.
    TrayIcon(NotificationIcon& icon, std::function<void(QMenu&)> popup, WindowProc previous);

    void AddTrayIcon(QWidget& window, QMenu& menu);
    void SetTrayTip(const QString& text);
    void RemoveTrayIcon();
    qintptr TrayWindowProc(int message, qintptr wParam, qintptr lParam);

    const NotifyIconData& record() const { return m_record; }
    bool isHooked() const { return m_hooked; }

private:
    NotificationIcon& m_icon;
    std::function<void(QMenu&)> m_popup;
    WindowProc m_windowProc;
    WindowProc m_savedProc;
    QPointer<QWidget> m_window;
    QPointer<QMenu> m_menu;
    NotifyIconData m_record;
    bool m_hooked = false;
    bool m_added = false;
};

} // namespace tivrel
