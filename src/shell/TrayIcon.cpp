#include "shell/TrayIcon.h"

#include "platform/NotificationIcon.h"

#include <QMenu>
#include <QWidget>

#include <cstring>

namespace tivrel {

TrayIcon::TrayIcon(NotificationIcon& icon, std::function<void(QMenu&)> popup, WindowProc previous)
    : m_icon(icon), m_popup(std::move(popup)), m_windowProc(std::move(previous)) {}

void TrayIcon::AddTrayIcon(QWidget& window, QMenu& menu) {
    if (m_hooked)
        return; // a second hook would save itself as the window's procedure
    m_window = &window;
    m_menu = &menu;
    m_savedProc = m_windowProc;
    m_windowProc = [this](int message, qintptr wParam, qintptr lParam) {
        return TrayWindowProc(message, wParam, lParam);
    };
    m_hooked = true;
    m_icon.onMouse([this](int message) { m_windowProc(int(kCallbackMessage), 0, message); });

    m_record.uID = 0;
    m_record.hWnd = quintptr(window.winId());
    m_record.cbSize = 88;
    m_record.hIcon = window.windowIcon();
    m_record.uCallbackMessage = kCallbackMessage;
    m_record.uFlags = NIF_MESSAGE | NIF_ICON;
    m_icon.add(m_record.hIcon);
    m_added = true;
}

void TrayIcon::SetTrayTip(const QString& text) {
    // The tip field holds 63 characters and a NUL; the rest of it is blanks.
    const QByteArray tip = text.toLocal8Bit().left(NotifyIconData::kTipSize - 1);
    m_record.szTip = QByteArray(NotifyIconData::kTipSize, ' ');
    std::memcpy(m_record.szTip.data(), tip.constData(), std::size_t(tip.size()));
    m_record.szTip[tip.size()] = '\0';
    m_record.uFlags = NIF_TIP;
    if (m_added)
        m_icon.setTip(QString::fromLocal8Bit(tip));
}

void TrayIcon::RemoveTrayIcon() {
    m_record.uFlags = 0;
    if (m_added) {
        m_icon.remove();
        m_added = false;
    }
    if (m_hooked) {
        m_windowProc = m_savedProc;
        m_icon.onMouse({});
        m_hooked = false;
    }
}

qintptr TrayIcon::TrayWindowProc(int message, qintptr wParam, qintptr lParam) {
    if (message == int(kCallbackMessage) &&
        (lParam == IconMessage::LeftButtonUp || lParam == IconMessage::RightButtonUp)) {
        if (m_menu)
            m_popup(*m_menu);
        return 0;
    }
    return m_savedProc ? m_savedProc(message, wParam, lParam) : 0;
}

} // namespace tivrel
