#include "platform/qt/QtNotificationIcon.h"

namespace tivrel {

QtNotificationIcon::QtNotificationIcon() {
    QObject::connect(&m_icon, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             activated(IconButton::Left);
                             break;
                         case QSystemTrayIcon::Context:
                             activated(IconButton::Right);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             activated(IconButton::Middle);
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             activated(IconButton::LeftDoubleClick);
                             break;
                         case QSystemTrayIcon::Unknown:
                             break;
                         }
                     });
}

bool QtNotificationIcon::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtNotificationIcon::add(const QIcon& icon) {
    m_icon.setIcon(icon);
    m_icon.show();
}

void QtNotificationIcon::setTip(const QString& tip) {
    m_icon.setToolTip(tip);
}

void QtNotificationIcon::remove() {
    m_icon.hide();
}

} // namespace tivrel
