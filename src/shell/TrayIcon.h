#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

namespace tivrel {

class NotificationIcon;
enum class IconButton;

// The program's one icon in the notification area, showing the main window's icon. A left
// or right click on it opens the "&File" menu at the pointer; other activations do nothing.
class TrayIcon {
public:
    // The longest tip the icon shows; a longer one is cut.
    static constexpr int kTipLength = 63;

    // popup opens a menu at the pointer.
    TrayIcon(NotificationIcon& icon, std::function<void(QMenu&)> popup);
    ~TrayIcon();

    // Adds the icon once; later calls change nothing.
    void AddTrayIcon(QWidget& window, QMenu& menu);
    void SetTrayTip(const QString& text);
    // Takes the icon away; harmless when repeated.
    void RemoveTrayIcon();
    // Each activation of the icon while it is in the notification area.
    void TrayWindowProc(IconButton button);

private:
    NotificationIcon& m_icon;
    std::function<void(QMenu&)> m_popup;
    QPointer<QMenu> m_menu;
    bool m_added = false;
};

} // namespace tivrel
