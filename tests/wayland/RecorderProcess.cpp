#include "RecorderProcess.h"

#include "Waiting.h"

#include <QFile>
#include <QRegularExpression>

namespace tivrel::test {

using namespace std::chrono_literals;

std::string inOneLine(const QStringList& events) {
    return events.join(QStringLiteral(", ")).toStdString();
}

bool RecorderProcess::start(const QString& socket, const QString& folder, QString* error,
                            const QStringList& arguments) {
    const QStringList environment{
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + folder,
        QStringLiteral("XDG_RUNTIME_DIR=") + folder,
        QStringLiteral("QT_QPA_PLATFORM=wayland"),
        QStringLiteral("WAYLAND_DISPLAY=") + socket,
    };
    m_output = folder + QStringLiteral("/recorder.out");
    if (!m_process.start(QStringList{QStringLiteral(TIVREL_WAYLAND_RECORDER)} + arguments,
                         environment, m_output, folder + QStringLiteral("/recorder.err"), error))
        return false;
    if (waitUntil([this] { return lines().contains(QStringLiteral("shown")); }, 20s))
        return true;
    *error = QStringLiteral("the recorder window was never drawn: ") + m_process.describeEnd();
    return false;
}

bool RecorderProcess::bringPointer(const std::function<bool(QPoint)>& move, QPoint place) {
    const auto entered = [this] { return lines().contains(QStringLiteral("entered")); };
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (int tries = 0; std::chrono::steady_clock::now() < deadline; ++tries) {
        move(place + QPoint(tries % 2, 0));
        if (waitUntil(entered, 500ms, 10ms))
            return true;
    }
    return false;
}

QStringList RecorderProcess::lines() const {
    QFile file(m_output);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList RecorderProcess::events() const {
    QStringList received = lines();
    received.removeIf([](const QString& line) {
        return !line.startsWith(QLatin1String("press")) &&
               !line.startsWith(QLatin1String("release"));
    });
    return received;
}

QPoint RecorderProcess::pointer() const {
    const QStringList all = lines();
    for (auto line = all.crbegin(); line != all.crend(); ++line) {
        const QStringList words = line->split(QLatin1Char(' '));
        if (words.size() == 3 && words[0] == QLatin1String("at"))
            return {words[1].toInt(), words[2].toInt()};
    }
    return {-1, -1};
}

bool RecorderProcess::focused() const {
    const QStringList all = lines();
    for (auto line = all.crbegin(); line != all.crend(); ++line) {
        if (*line == QLatin1String("focused") || *line == QLatin1String("unfocused"))
            return *line == QLatin1String("focused");
    }
    return false;
}

QStringList RecorderProcess::keys() const {
    return lines().filter(QRegularExpression(QStringLiteral("^key ")));
}

int RecorderProcess::pressesAfter(QPoint place) const {
    const QStringList all = lines();
    const QString there = QStringLiteral("at %1 %2").arg(place.x()).arg(place.y());
    const qsizetype from = all.indexOf(there);
    if (from < 0)
        return 0;
    int presses = 0;
    for (qsizetype i = from; i < all.size(); ++i)
        presses += all[i].startsWith(QLatin1String("press"));
    return presses;
}

std::vector<qint64> RecorderProcess::pressTimes() const {
    std::vector<qint64> times;
    for (const QString& line : lines()) {
        if (line.startsWith(QLatin1String("time ")))
            times.push_back(line.mid(5).toLongLong());
    }
    return times;
}

std::string RecorderProcess::received() const {
    return inOneLine(events());
}

} // namespace tivrel::test
