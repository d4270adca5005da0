#include "platform/qt/QtSessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace tivrel {

QtSessionEnd::QtSessionEnd() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::commitDataRequest,
                         [this](QSessionManager&) { deliverTerminate(); });
    }
}

} // namespace tivrel
