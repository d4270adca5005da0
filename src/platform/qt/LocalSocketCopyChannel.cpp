#include "platform/qt/LocalSocketCopyChannel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <optional>

namespace tivrel {

namespace {

constexpr char kTaken = 'k';

char toByte(CopyRequest request) {
    switch (request) {
    case CopyRequest::Start:
        return 's';
    case CopyRequest::Stop:
        return 'p';
    case CopyRequest::Toggle:
        break;
    }
    return 't';
}

std::optional<CopyRequest> fromByte(char byte) {
    switch (byte) {
    case 't':
        return CopyRequest::Toggle;
    case 's':
        return CopyRequest::Start;
    case 'p':
        return CopyRequest::Stop;
    default:
        return std::nullopt;
    }
}

} // namespace

LocalSocketCopyChannel::LocalSocketCopyChannel(QString name) : m_name(std::move(name)) {}

LocalSocketCopyChannel::~LocalSocketCopyChannel() = default;

QString LocalSocketCopyChannel::defaultName() {
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (QDir::separator() == u'\\')
        return QStringLiteral("tivrel-%1").arg(user); // a pipe's name, not a path
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/tivrel-%1.socket").arg(user);
}

bool LocalSocketCopyChannel::listen(std::function<void(CopyRequest)> handler, QString* error) {
    m_handler = std::move(handler);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        if (m_server->serverError() != QAbstractSocket::AddressInUseError) {
            if (error)
                *error = m_server->errorString();
            m_server.reset();
            return false;
        }
        // Only the copy that holds the lock gets here: the socket is a dead copy's.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name)) {
            if (error)
                *error = m_server->errorString();
            m_server.reset();
            return false;
        }
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                     [this] { takeConnection(); });
    return true;
}

void LocalSocketCopyChannel::takeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket = QPointer<QLocalSocket>(socket)] {
            if (!socket)
                return;
            char byte = 0;
            if (socket->read(&byte, 1) != 1)
                return;
            const std::optional<CopyRequest> request = fromByte(byte);
            // Answered before it is carried out: a stop shows its message, whose loop
            // would keep the second copy waiting. Carried out from the event loop, not
            // from inside this socket's signal.
            socket->write(&kTaken, 1);
            socket->flush();
            socket->disconnectFromServer();
            if (request)
                QMetaObject::invokeMethod(
                    m_server.get(),
                    [this, r = *request] {
                        if (m_handler)
                            m_handler(r);
                    },
                    Qt::QueuedConnection);
        };
        QObject::connect(socket, &QLocalSocket::readyRead, socket, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

bool LocalSocketCopyChannel::send(CopyRequest request, QString* error) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerMs)) {
        if (!error)
            return false;
        const auto why = socket.error();
        if (why == QLocalSocket::ServerNotFoundError || why == QLocalSocket::ConnectionRefusedError)
            *error = QStringLiteral("Tivrel is not running.");
        else
            *error = QStringLiteral("Tivrel cannot be reached at %1: %2")
                         .arg(m_name, socket.errorString());
        return false;
    }
    const char byte = toByte(request);
    socket.write(&byte, 1);
    char answer = 0;
    if (!socket.waitForBytesWritten(kAnswerMs) || !socket.waitForReadyRead(kAnswerMs) ||
        socket.read(&answer, 1) != 1 || answer != kTaken) {
        if (error)
            *error = QStringLiteral("Tivrel did not answer within a second.");
        return false;
    }
    return true;
}

} // namespace tivrel
