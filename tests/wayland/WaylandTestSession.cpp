#include "WaylandTestSession.h"

#include "Waiting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <chrono>
#include <map>
#include <thread>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

// The driver numbers the buttons as X does: 1 left, 2 middle, 3 right.
std::uint32_t buttonCode(int button) {
    return button == 3 ? 0x111 : button == 2 ? 0x112 : 0x110;
}

// Each window of the tree: a node with a process, in the order sway made them (its ids).
void collectWindows(const QJsonObject& node, std::map<qint64, QJsonObject>& windows) {
    if (node.contains(QStringLiteral("pid")))
        windows.emplace(node.value(QStringLiteral("id")).toInteger(), node);
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject(), windows);
    }
}

QRect rectOf(const QJsonObject& node) {
    const QJsonObject r = node.value(QStringLiteral("rect")).toObject();
    return {r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
            r.value(QStringLiteral("width")).toInt(), r.value(QStringLiteral("height")).toInt()};
}

} // namespace

bool WaylandTestSession::start(QString* error) {
    if (!m_sway.start(error))
        return false;
    if (!m_pointer.open(m_sway.socket())) {
        *error = QStringLiteral("sway made no virtual pointer for the test");
        return false;
    }
    // It sleeps for longer than any test runs, then would type a key no one reads.
    const QStringList environment{QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
                                  QStringLiteral("WAYLAND_DISPLAY=") + m_sway.socket(),
                                  QStringLiteral("XDG_RUNTIME_DIR=") + m_sway.scratch()};
    const QString log = m_sway.scratch() + QStringLiteral("/keyboard.log");
    return m_keyboard.start({QStringLiteral("wtype"), QStringLiteral("-s"),
                             QStringLiteral("3600000"), QStringLiteral("-k"),
                             QStringLiteral("F24")},
                            environment, log, log, error);
}

void WaylandTestSession::stop() {
    m_keyboard.kill();
    m_sway.process().kill();
}

void WaylandTestSession::addTo(QProcessEnvironment& environment) const {
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_sway.socket());
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
}

std::optional<QByteArray> WaylandTestSession::run(const QString& tool,
                                                  const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_sway.socket());
    env.insert(QStringLiteral("SWAYSOCK"), m_sway.ipcSocket());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_sway.scratch());
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_lastFailure = QStringLiteral("%1 %2 failed: %3")
                            .arg(tool, arguments.join(u' '),
                                 QString::fromLocal8Bit(process.readAllStandardError()));
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

bool WaylandTestSession::movePointer(QPoint onScreen) const {
    if (m_pointer.moveTo(onScreen, SwaySession::kOutputSize))
        return true;
    m_lastFailure = QStringLiteral("the test's pointer lost sway");
    return false;
}

bool WaylandTestSession::click(QPoint onScreen, int button) const {
    if (!movePointer(onScreen))
        return false;
    // Held for a moment, as a hand holds it.
    const bool pressed = m_pointer.button(buttonCode(button), true);
    std::this_thread::sleep_for(30ms);
    if (pressed && m_pointer.button(buttonCode(button), false))
        return true;
    m_lastFailure = QStringLiteral("the test's pointer lost sway");
    return false;
}

bool WaylandTestSession::keys(const QStringList& keys) const {
    QStringList arguments;
    for (const QString& key : keys) {
        // "alt+a": the modifier held around the key.
        const QStringList parts = key.split(u'+');
        for (qsizetype i = 0; i + 1 < parts.size(); ++i)
            arguments << QStringLiteral("-M") << parts[i];
        arguments << QStringLiteral("-k") << parts.back();
        for (qsizetype i = parts.size() - 2; i >= 0; --i)
            arguments << QStringLiteral("-m") << parts[i];
    }
    return run(QStringLiteral("wtype"), arguments).has_value();
}

bool WaylandTestSession::activate(unsigned long window) const {
    if (!run(QStringLiteral("swaymsg"), {QStringLiteral("[con_id=%1] focus").arg(window)}))
        return false;
    return waitUntil(
        [&] {
            const auto tree =
                run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
            std::map<qint64, QJsonObject> windows;
            if (tree)
                collectWindows(QJsonDocument::fromJson(*tree).object(), windows);
            const auto it = windows.find(qint64(window));
            return it != windows.end() && it->second.value(QStringLiteral("focused")).toBool();
        },
        5s);
}

std::vector<WindowInfo> WaylandTestSession::windowsOf(qint64 pid) const {
    const auto tree =
        run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (!tree)
        return {};
    std::map<qint64, QJsonObject> all;
    collectWindows(QJsonDocument::fromJson(*tree).object(), all);
    std::vector<WindowInfo> windows;
    for (const auto& [id, node] : all) {
        if (node.value(QStringLiteral("pid")).toInteger() != pid)
            continue;
        WindowInfo window;
        window.id = static_cast<unsigned long>(id);
        window.pid = pid;
        window.name = node.value(QStringLiteral("name")).toString();
        window.wmClass = node.value(QStringLiteral("app_id")).toString();
        window.viewable = node.value(QStringLiteral("visible")).toBool();
        window.geometry = rectOf(node);
        window.kind = windows.empty() ? WindowKind::Normal : WindowKind::Dialog;
        windows.push_back(window);
    }
    return windows;
}

} // namespace tivrel::test
