#include "platform/wayland/PortalSession.h"

#include "platform/BlindPointerWatch.h"
#include "platform/SettingsStore.h"
#include "platform/qt/QtWindowStacking.h"
#include "platform/wayland/GlobalShortcutsKey.h"
#include "platform/wayland/KWinScriptPointerWatch.h"
#include "platform/wayland/PortalMouse.h"
#include "platform/wayland/PortalRegistry.h"
#include "platform/wayland/PortalWords.h"
#include "platform/wayland/ScreenCastPointerWatch.h"

#include <QPointer>
#include <QWidget>

namespace tivrel {

namespace {

const QString kGrantSection = QStringLiteral("Desktop");
const QString kGrantKey = QStringLiteral("RemoteDesktopGrant");

class PortalSession final : public DisplaySession {
public:
    PortalSession(const PortalOffer& offer, bool xwayland)
        : m_offer(offer), m_xwayland(xwayland),
          m_mouse(PortalMouse::Asking{
                      .notice = [this] { return notice(); },
                      .request = [this] { return request(); },
                      .granted = [this](RemoteDesktopPortal& portal) { granted(portal); },
                  },
                  [] {
                      return std::make_unique<RemoteDesktopPortal>(QDBusConnection::sessionBus());
                  }) {}

    QByteArray qtPlatform() const override { return m_xwayland ? "xcb" : "wayland"; }
    // Where the pointer is comes from KWin's scripts on KDE, and elsewhere (GNOME) from the
    // cursor of a screen cast of the same portal session. KDE's screen cast went quiet after
    // a second when tried.
    void toolkitStarted() override {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        // Before anything else of the program asks the portal, which knows a caller by the
        // name it gave first.
        registerWithPortal(bus);
        // GNOME asks the user in its own dialog which key to give the program.
        if (m_offer.globalShortcuts > 0)
            m_key = std::make_unique<GlobalShortcutsKey>(
                bus, qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME"));
        if (m_offer.kwinScripting) {
            m_watch = std::make_unique<KWinScriptPointerWatch>(bus);
        } else if (m_offer.cursorAsData) {
            auto watch = std::make_unique<ScreenCastPointerWatch>();
            m_screenCast = watch.get();
            m_watch = std::move(watch);
        }
    }
    Mouse& mouse() override { return m_mouse; }
    PointerWatch& pointerWatch() override { return *m_watch; }
    WindowStacking& stacking() override { return m_stacking; }
    StartStopKey& startStopKey() override { return *m_key; }
    void keepGrantsIn(SettingsStore& settings) override { m_settings = &settings; }
    void setDialogOwner(QWidget* owner) override { m_owner = owner; }

private:
    // A grant kept from an earlier start is taken without a dialog: nothing to tell then. From
    // version 2 on the portal keeps what the user allowed (persist_mode), and later starts ask
    // nothing while its token is kept.
    QString notice() const {
        const bool keeps = m_offer.remoteDesktopVersion >= 2;
        if (keeps && m_settings && !m_settings->read(kGrantSection, kGrantKey).isEmpty())
            return {};
        return portalAskNotice(keeps);
    }

    RemoteDesktopPortal::Request request() const {
        RemoteDesktopPortal::Request asked;
        // The system's dialog opens over the window that asked, where the desktop can tell
        // which window that is: an X11 window through XWayland.
        if (m_xwayland && m_owner && m_owner->isVisible())
            asked.parentWindow = QStringLiteral("x11:") + QString::number(m_owner->winId(), 16);
        if (m_settings)
            asked.restoreToken = m_settings->read(kGrantSection, kGrantKey);
        asked.cursorStream = m_screenCast != nullptr;
        return asked;
    }

    void granted(RemoteDesktopPortal& portal) {
        QString error;
        // Without the stream the watch sees nothing, and runs need an amount, which the run's
        // start says.
        if (m_screenCast) {
            const quint32 node = portal.cursorStreamNode();
            const int fd = node ? portal.openPipeWireRemote(&error) : -1;
            if (!node)
                error = QStringLiteral("the desktop shared no screen");
            if (fd < 0 || !m_screenCast->connectStream(fd, node, &error))
                qWarning("Tivrel: the pointer cannot be watched: %s", qPrintable(error));
        }
        const QString token = portal.restoreToken();
        // Losing the token only means the system asks again at the next start.
        if (m_settings && !token.isEmpty() &&
            !m_settings->write(kGrantSection, kGrantKey, token, &error))
            qWarning("Tivrel: %s", qPrintable(error));
    }

    PortalOffer m_offer;
    bool m_xwayland;
    PortalMouse m_mouse;
    std::unique_ptr<PointerWatch> m_watch = std::make_unique<BlindPointerWatch>();
    ScreenCastPointerWatch* m_screenCast = nullptr; // m_watch, where it is the screen cast's
    QtWindowStacking m_stacking;
    // GNOME before 48 offers no global shortcuts.
    std::unique_ptr<StartStopKey> m_key = std::make_unique<NoStartStopKey>();
    SettingsStore* m_settings = nullptr;
    QPointer<QWidget> m_owner;
};

} // namespace

std::unique_ptr<DisplaySession> newPortalSession(const PortalOffer& offer, bool xwayland) {
    return std::make_unique<PortalSession>(offer, xwayland);
}

} // namespace tivrel
