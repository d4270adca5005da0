#include "fakes/Unprivileged.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tivrel::test {

namespace {

constexpr uid_t kNobody = 65534;
constexpr auto kChildMayTake = std::chrono::seconds(20);

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

std::optional<QString> runInChild(const std::function<QString()>& body, QString* whyNot) {
    const auto fail = [whyNot](const QString& why) {
        if (whyNot)
            *whyNot = why;
        return std::nullopt;
    };
    int channel[2];
    if (::pipe(channel) != 0)
        return fail(QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return fail(QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (child == 0) {
        ::close(channel[0]);
        const bool sent = writeAll(channel[1], body().toUtf8());
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + kChildMayTake;
    bool hung = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{channel[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(std::max<std::int64_t>(left.count(), 0)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0) {
            hung = true;
            ::kill(child, SIGKILL);
            break;
        }
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
    if (hung)
        return fail(QStringLiteral("the child hung and was killed"));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(QStringLiteral("the child ended with status %1").arg(status));
    return QString::fromUtf8(answer);
}

std::optional<QString> runUnprivileged(const std::function<QString()>& body, QString* whyNot) {
    if (::geteuid() != 0)
        return body();
    return runInChild(
        [&] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(3);
            return body();
        },
        whyNot);
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
