#include "shell/SecondCopy.h"

#include "platform/CopyChannel.h"

#include <optional>

namespace tivrel {

namespace {

std::optional<CopyRequest> requestNamed(const QString& argument) {
    if (argument == QStringLiteral("--toggle"))
        return CopyRequest::Toggle;
    if (argument == QStringLiteral("--start"))
        return CopyRequest::Start;
    if (argument == QStringLiteral("--stop"))
        return CopyRequest::Stop;
    return std::nullopt;
}

} // namespace

int askRunningCopy(const QStringList& arguments, CopyChannel& channel, std::FILE* errors) {
    const std::optional<CopyRequest> request =
        arguments.size() == 1 ? requestNamed(arguments.front()) : std::nullopt;
    if (!request) {
        std::fputs("usage: tivrel [--toggle | --start | --stop]\n", errors);
        return 2;
    }
    QString error;
    if (!channel.send(*request, &error)) {
        std::fprintf(errors, "tivrel: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace tivrel
