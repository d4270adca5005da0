#pragma once

#include <QIcon>
#include <QString>

#include <functional>

namespace tivrel {

// Mouse notifications of the icon, numbered as the classic window messages number them.
namespace IconMessage {
constexpr int MouseMove = 0x0200;
constexpr int LeftButtonDown = 0x0201;
constexpr int LeftButtonUp = 0x0202;
constexpr int LeftButtonDoubleClick = 0x0203;
constexpr int RightButtonDown = 0x0204;
constexpr int RightButtonUp = 0x0205;
constexpr int MiddleButtonUp = 0x0208;
} // namespace IconMessage

// One icon in the desktop's notification area.
class NotificationIcon {
public:
    virtual ~NotificationIcon() = default;
    // Whether the desktop has a notification area right now.
    virtual bool isAvailable() = 0;
    virtual void add(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    virtual void remove() = 0;
    // Called with the notification number for each mouse event on the icon.
    void onMouse(std::function<void(int)> handler) { m_handler = std::move(handler); }

protected:
    void deliverMouse(int message) {
        if (m_handler)
            m_handler(message);
    }

private:
    std::function<void(int)> m_handler;
};

} // namespace tivrel
