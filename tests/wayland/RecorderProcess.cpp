#include "RecorderProcess.h"

#include "Waiting.h"

#include <QFile>

namespace tivrel::test {

using namespace std::chrono_literals;

std::string inOneLine(const QStringList& events) {
    return events.join(QStringLiteral(", ")).toStdString();
}

bool RecorderProcess::start(const QString& socket, const QString& folder, QString* error,
                            Cover cover) {
    const QStringList environment{
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + folder,
        QStringLiteral("XDG_RUNTIME_DIR=") + folder,
        QStringLiteral("QT_QPA_PLATFORM=wayland"),
        QStringLiteral("WAYLAND_DISPLAY=") + socket,
    };
    QStringList command{QStringLiteral(TIVREL_WAYLAND_RECORDER)};
    if (cover == Cover::FullScreen)
        command << QStringLiteral("--full-screen");
    m_output = folder + QStringLiteral("/recorder.out");
    if (!m_process.start(command, environment, m_output, folder + QStringLiteral("/recorder.err"),
                         error))
        return false;
    if (waitUntil([this] { return lines().contains(QStringLiteral("shown")); }, 20s))
        return true;
    *error = QStringLiteral("the recorder window was never drawn: ") + m_process.describeEnd();
    return false;
}

bool RecorderProcess::waitForPointer() {
    return waitUntil([this] { return lines().contains(QStringLiteral("entered")); }, 10s);
}

QStringList RecorderProcess::lines() const {
    QFile file(m_output);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList RecorderProcess::timeline() const {
    QStringList received = lines();
    received.removeAll(QStringLiteral("shown"));
    received.removeAll(QStringLiteral("entered"));
    return received;
}

QStringList RecorderProcess::events() const {
    QStringList received = timeline();
    received.removeIf([](const QString& line) { return line.startsWith(u"pointer "); });
    return received;
}

std::string RecorderProcess::received() const {
    return inOneLine(events());
}

} // namespace tivrel::test
