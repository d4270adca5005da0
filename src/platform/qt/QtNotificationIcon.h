#pragma once

#include "platform/NotificationIcon.h"

#include <QSystemTrayIcon>

namespace tivrel {

// The icon through QSystemTrayIcon. An icon added while the desktop has no notification
// area joins one as soon as it appears.
class QtNotificationIcon final : public NotificationIcon {
public:
    QtNotificationIcon();
    bool isAvailable() override;
    void add(const QIcon& icon) override;
    void setTip(const QString& tip) override;
    void remove() override;

private:
    QSystemTrayIcon m_icon;
};

} // namespace tivrel
