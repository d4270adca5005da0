#include "RecorderProcess.h"

#include "SwaySession.h"
#include "Waiting.h"

#include <QFile>

namespace tivrel::test {

using namespace std::chrono_literals;

std::string inOneLine(const QStringList& events) {
    return events.join(QStringLiteral(", ")).toStdString();
}

bool RecorderProcess::start(const SwaySession& sway, QString* error) {
    const QStringList environment{
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + sway.scratch(),
        QStringLiteral("XDG_RUNTIME_DIR=") + sway.scratch(),
        QStringLiteral("QT_QPA_PLATFORM=wayland"),
        QStringLiteral("WAYLAND_DISPLAY=") + sway.socket(),
    };
    m_output = sway.scratch() + QStringLiteral("/recorder.out");
    if (!m_process.start({QStringLiteral(TIVREL_WAYLAND_RECORDER)}, environment, m_output,
                         sway.scratch() + QStringLiteral("/recorder.err"), error))
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

QStringList RecorderProcess::events() const {
    QStringList received = lines();
    received.removeAll(QStringLiteral("shown"));
    received.removeAll(QStringLiteral("entered"));
    return received;
}

std::string RecorderProcess::received() const {
    return inOneLine(events());
}

} // namespace tivrel::test
