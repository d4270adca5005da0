#pragma once

#include "CompositorHand.h"

#include <QDBusConnection>
#include <QPoint>
#include <QString>

namespace tivrel::test {

// Another input source than the program's portal session, the hand that moves the pointer:
// a remote desktop session of mutter's own D-Bus API (org.gnome.Mutter.RemoteDesktop), with
// a screen cast of the monitor for absolute places. It asks nothing of the user. Its session
// ends when the object goes.
class MutterPointer final : public CompositorHand {
public:
    MutterPointer() = default;
    ~MutterPointer() override;
    MutterPointer(const MutterPointer&) = delete;
    MutterPointer& operator=(const MutterPointer&) = delete;

    // On mutter's session bus; false and a reason otherwise.
    bool open(const QDBusConnection& bus, const QString& connector, QString* error);
    // Puts the pointer at a place on the monitor; returns once mutter has the call.
    bool moveTo(QPoint place) override;
    // By so many pixels from where it is.
    bool moveBy(double dx, double dy);
    bool button(int code, bool pressed) override;

private:
    bool call(const QString& method, const QVariantList& arguments);

    QDBusConnection m_bus{QString()};
    QString m_session; // the remote desktop session's object path
    QString m_stream;  // the monitor's stream's object path
};

} // namespace tivrel::test
