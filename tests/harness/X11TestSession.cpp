#include "X11TestSession.h"

#include "RecorderWindow.h"
#include "XSession.h"

#include <QProcess>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

QString windowArgument(unsigned long window) {
    return QString::number(window);
}

} // namespace

X11TestSession::X11TestSession(QByteArray display)
    : m_display(display.isEmpty() ? qgetenv("DISPLAY") : std::move(display)) {}

X11TestSession X11TestSession::ownSession(const QString& logFolder) {
    X11TestSession session;
    session.m_display.clear(); // known once its server runs
    session.m_own = std::make_shared<XSession>(logFolder);
    return session;
}

bool X11TestSession::start(QString* error) {
    if (!m_own) {
        if (displayAccepts(m_display))
            return true;
        *error = QStringLiteral("the display \"%1\" takes no clients").arg(name());
        return false;
    }
    // The desktop a user has: a window manager, and a tray for the program's icon.
    if (!m_own->startServer(error) || !m_own->startWindowManager(error) ||
        !m_own->startTrayHost(error))
        return false;
    m_display = m_own->display();
    return true;
}

void X11TestSession::stop() {
    if (m_own)
        m_own->stop();
}

void X11TestSession::addTo(QProcessEnvironment& environment) const {
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(m_display));
}

ToolRun X11TestSession::run(const QString& tool, const QStringList& arguments,
                            std::chrono::milliseconds timeout) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(m_display));
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    ToolRun result;
    if (!process.waitForStarted(int(timeout.count()))) {
        m_lastFailure = tool + QStringLiteral(": ") + process.errorString();
        return result;
    }
    result.finished = process.waitForFinished(int(timeout.count()));
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    if (!result.succeeded()) {
        m_lastFailure =
            QStringLiteral("%1 %2 %3: %4")
                .arg(tool, arguments.join(u' '),
                     result.finished ? QStringLiteral("failed (%1)").arg(result.exitCode)
                                     : QStringLiteral("did not end in time"),
                     QString::fromLocal8Bit(result.errors.trimmed()));
    }
    return result;
}

bool X11TestSession::runOk(const QString& tool, const QStringList& arguments) const {
    return run(tool, arguments).succeeded();
}

bool X11TestSession::movePointer(QPoint onScreen) const {
    // Not xdotool mousemove --sync: it waits for a move, and a pointer already there never
    // moves. A connection of its own that returns once the server has moved the pointer.
    OutsideInput input(m_display.constData());
    if (!input.isOpen()) {
        m_lastFailure = QStringLiteral("cannot open the display %1").arg(name());
        return false;
    }
    input.movePointer(onScreen);
    return true;
}

bool X11TestSession::click(QPoint onScreen, int button) const {
    // xdotool holds the button for a moment: Qt's buttons miss a press and a release that
    // reach them together.
    return movePointer(onScreen) &&
           runOk(QStringLiteral("xdotool"), {QStringLiteral("click"), QString::number(button)});
}

bool X11TestSession::keys(const QStringList& keys) const {
    return runOk(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys);
}

bool X11TestSession::activate(unsigned long window) const {
    return runOk(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"),
                                             QStringLiteral("--sync"), windowArgument(window)});
}

std::vector<WindowInfo> X11TestSession::windowsOf(qint64 pid) const {
    return look(pid).windows;
}

bool X11TestSession::focus(unsigned long window) const {
    return runOk(QStringLiteral("xdotool"),
                 {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowArgument(window)});
}

QString X11TestSession::xprop(unsigned long window, const QString& property) const {
    const ToolRun result =
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), windowArgument(window), property});
    return result.succeeded() ? QString::fromLocal8Bit(result.output) : QString();
}

} // namespace tivrel::test
