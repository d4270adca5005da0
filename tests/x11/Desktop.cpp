#include "Desktop.h"

#include "RecorderWindow.h"
#include "Waiting.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

QString windowArgument(unsigned long window) {
    return QString::number(window);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

PrivateXServer::PrivateXServer() = default;

PrivateXServer::~PrivateXServer() {
    // The tray host before the server it is connected to.
    m_tray.reset();
    m_server.reset();
}

bool PrivateXServer::start(QString* error) {
    if (!m_folder.isValid()) {
        *error = QStringLiteral("no temp folder for the X server");
        return false;
    }
    m_server = std::make_unique<ChildProcess>();
    // -displayfd 1: the server writes its display number to standard output once it
    // accepts clients. -noreset: a server that resets when its last client leaves refuses
    // the clients that come meanwhile, and the tests come and go all the time.
    const QString numberFile = m_folder.filePath(QStringLiteral("display"));
    if (!m_server->start({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("1"),
                          QStringLiteral("-screen"), QStringLiteral("0"),
                          QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("-noreset")},
                         QProcessEnvironment::systemEnvironment().toStringList(), numberFile,
                         m_folder.filePath(QStringLiteral("xvfb.log")), error))
        return false;
    QByteArray number;
    const bool ready = waitUntil(
        [&] {
            number = readFile(numberFile).trimmed();
            return !number.isEmpty() || m_server->hasEnded();
        },
        30s);
    if (!ready || number.isEmpty()) {
        *error = QStringLiteral("Xvfb gave no display number (%1): %2")
                     .arg(m_server->describeEnd(), logs());
        return false;
    }
    m_display = ':' + number;
    // Ready by its own word; a client that cannot get in would be no test of the program.
    if (!waitUntil([&] { return m_server->hasEnded() || displayAccepts(m_display); }, 30s) ||
        m_server->hasEnded()) {
        *error = QStringLiteral("Xvfb on %1 takes no clients (%2): %3")
                     .arg(QString::fromLatin1(m_display), m_server->describeEnd(), logs());
        return false;
    }
    return true;
}

bool PrivateXServer::startTrayHost(QString* error) {
    if (m_tray && !m_tray->hasEnded())
        return true;
    auto tray = std::make_unique<ChildProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(m_display));
    const QString log = m_folder.filePath(QStringLiteral("trayer-%1.log").arg(++m_trayStarts));
    if (!tray->start({QStringLiteral("trayer"), QStringLiteral("--edge"), QStringLiteral("top"),
                      QStringLiteral("--align"), QStringLiteral("right"),
                      QStringLiteral("--widthtype"), QStringLiteral("request"),
                      QStringLiteral("--height"), QStringLiteral("24")},
                     env.toStringList(), log, log, error))
        return false;
    const bool ready = waitUntil(
        [&] { return tray->hasEnded() || selectionOwned("_NET_SYSTEM_TRAY_S0", m_display); }, 30s);
    if (!ready || tray->hasEnded()) {
        *error = QStringLiteral("trayer took no tray selection (%1; Xvfb on %2 %3): %4")
                     .arg(tray->describeEnd(), QString::fromLatin1(m_display),
                          m_server->describeEnd(), logs());
        return false;
    }
    m_tray = std::move(tray);
    return true;
}

bool PrivateXServer::killTrayHost(QString* error) {
    if (!m_tray)
        return true;
    m_tray->sendSignal(SIGKILL);
    if (!m_tray->waitForEnd(30s)) {
        *error = QStringLiteral("trayer did not end after SIGKILL");
        return false;
    }
    m_tray.reset();
    return true;
}

QString PrivateXServer::logs() const {
    QString text;
    for (const QString& name : QDir(m_folder.path()).entryList({QStringLiteral("*.log")})) {
        text += QStringLiteral("--- %1\n").arg(name) +
                QString::fromLocal8Bit(readFile(m_folder.filePath(name)).right(2000));
    }
    return text;
}

} // namespace tivrel::test
