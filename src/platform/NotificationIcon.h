#pragma once

#include <QIcon>
#include <QString>

#include <functional>

namespace tivrel {

// How the user activated the icon: which button was clicked on it, or a double click of the
// left one.
enum class IconButton { Left, Right, Middle, LeftDoubleClick };

// One icon in the desktop's notification area. What a click on it does is the owner's
// business: the icon only reports the activation.
class NotificationIcon {
public:
    virtual ~NotificationIcon() = default;
    // Whether the desktop has a notification area right now.
    virtual bool isAvailable() = 0;
    virtual void add(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    virtual void remove() = 0;
    // Called on the UI thread each time the user activates the icon.
    void onActivated(std::function<void(IconButton)> handler) { m_handler = std::move(handler); }

protected:
    void activated(IconButton button) {
        if (m_handler)
            m_handler(button);
    }

private:
    std::function<void(IconButton)> m_handler;
};

} // namespace tivrel
