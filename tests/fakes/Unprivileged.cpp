#include "fakes/Unprivileged.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tivrel::test {

namespace {

constexpr uid_t kNobody = 65534;

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

std::optional<QString> runUnprivileged(const std::function<QString()>& body, QString* whyNot) {
    if (::geteuid() != 0)
        return body();
    int channel[2];
    if (::pipe(channel) != 0) {
        if (whyNot)
            *whyNot = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        if (whyNot)
            *whyNot = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(3);
        const bool sent = writeAll(channel[1], body().toUtf8());
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (whyNot)
            *whyNot = QStringLiteral("the unprivileged child ended with status %1").arg(status);
        return std::nullopt;
    }
    return QString::fromUtf8(answer);
}

bool makeReadOnlyForAll(const QString& folder) {
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
}

bool makeOpenToAll(const QString& folder) {
    return QFile::setPermissions(
        folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

} // namespace tivrel::test
