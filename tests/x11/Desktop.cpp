#include "Desktop.h"

#include "RecorderWindow.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

QString windowArgument(unsigned long window) {
    return QString::number(window);
}

} // namespace

Desktop::Desktop(QByteArray display)
    : m_display(display.isEmpty() ? qgetenv("DISPLAY") : std::move(display)) {}

ToolRun Desktop::run(const QString& tool, const QStringList& arguments,
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

bool Desktop::runOk(const QString& tool, const QStringList& arguments) const {
    return run(tool, arguments).succeeded();
}

bool Desktop::movePointer(QPoint onScreen) const {
    // Not xdotool mousemove --sync: it waits for a move, and a pointer already there never
    // moves. A connection of its own that returns once the server has moved the pointer.
    OutsideInput input(m_display.constData());
    if (!input.isOpen()) {
        m_lastFailure =
            QStringLiteral("cannot open the display %1").arg(QString::fromLocal8Bit(m_display));
        return false;
    }
    input.movePointer(onScreen);
    return true;
}

bool Desktop::click(QPoint onScreen, int button) const {
    return movePointer(onScreen) &&
           runOk(QStringLiteral("xdotool"), {QStringLiteral("click"), QString::number(button)});
}

bool Desktop::keys(const QStringList& keys) const {
    return runOk(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys);
}

bool Desktop::activate(unsigned long window) const {
    return runOk(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"),
                                             QStringLiteral("--sync"), windowArgument(window)});
}

bool Desktop::focus(unsigned long window) const {
    return runOk(QStringLiteral("xdotool"),
                 {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowArgument(window)});
}

QString Desktop::xprop(unsigned long window, const QString& property) const {
    const ToolRun result =
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), windowArgument(window), property});
    return result.succeeded() ? QString::fromLocal8Bit(result.output) : QString();
}

} // namespace tivrel::test
