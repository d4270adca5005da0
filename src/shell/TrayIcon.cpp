#include "shell/TrayIcon.h"

#include "platform/NotificationIcon.h"

#include <QMenu>
#include <QWidget>

namespace tivrel {

TrayIcon::TrayIcon(NotificationIcon& icon, std::function<void(QMenu&)> popup)
    : m_icon(icon), m_popup(std::move(popup)) {}

TrayIcon::~TrayIcon() {
    RemoveTrayIcon();
}

void TrayIcon::AddTrayIcon(QWidget& window, QMenu& menu) {
    if (m_added)
        return;
    m_menu = &menu;
    m_icon.onActivated([this](IconButton button) { TrayWindowProc(button); });
    m_icon.add(window.windowIcon());
    m_added = true;
}

void TrayIcon::SetTrayTip(const QString& text) {
    if (m_added)
        m_icon.setTip(text.left(kTipLength));
}

void TrayIcon::RemoveTrayIcon() {
    if (!m_added)
        return;
    m_icon.remove();
    m_icon.onActivated({});
    m_added = false;
}

void TrayIcon::TrayWindowProc(IconButton button) {
    if ((button == IconButton::Left || button == IconButton::Right) && m_added && m_menu)
        m_popup(*m_menu);
}

} // namespace tivrel
