#pragma once

#include "platform/CopyChannel.h"

#include <memory>

class QLocalServer;

namespace tivrel {

// A second copy's requests over Qt's local sockets: a Unix socket where the name is a path
// (the user's runtime folder), a named pipe on Windows. The server opens it to its own user
// only. One byte each way: the request, then the running copy's "taken".
class LocalSocketCopyChannel final : public CopyChannel {
public:
    // How long a second copy waits for the running one to take its request.
    static constexpr int kAnswerMs = 1000;

    explicit LocalSocketCopyChannel(QString name);
    ~LocalSocketCopyChannel() override;

    // Beside the single-instance lock: the same folder, the same user.
    static QString defaultName();

    // The caller holds the single-instance lock: a socket left by a copy that is gone is
    // removed and opened afresh.
    bool listen(std::function<void(CopyRequest)> handler, QString* error) override;
    bool send(CopyRequest request, QString* error) override;

private:
    void takeConnection();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(CopyRequest)> m_handler;
};

} // namespace tivrel
