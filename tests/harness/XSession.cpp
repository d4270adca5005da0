#include "XSession.h"

#include "Waiting.h"
#include "WindowTree.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <csignal>

namespace tivrel::test {

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

XSession::XSession(const QString& folder)
    : m_folderPath(folder.isEmpty() ? m_ownFolder.path() : folder) {}

XSession::~XSession() {
    if (!m_detached)
        stop();
}

std::unique_ptr<ChildProcess> XSession::startChild(const QStringList& command, const QString& name,
                                                   const QString& outputFile, QString* error) {
    if (m_folderPath.isEmpty() || !QDir().mkpath(m_folderPath)) {
        *error = QStringLiteral("no folder for the X session's logs");
        return nullptr;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!m_display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    auto child = std::make_unique<ChildProcess>();
    child->setDetached(m_detached);
    const QString log = QDir(m_folderPath).filePath(name + QStringLiteral(".log"));
    if (!child->start(command, environment.toStringList(), outputFile.isEmpty() ? log : outputFile,
                      log, error))
        return nullptr;
    return child;
}

bool XSession::waitReady(ChildProcess& child, const std::function<bool()>& ready,
                         const QString& what, QString* error) {
    if (waitUntil([&] { return child.hasEnded() || ready(); }, kReadyTimeout) && !child.hasEnded())
        return true;
    *error = QStringLiteral("%1 (%2, within %3 s) on %4:\n%5")
                 .arg(what, child.describeEnd())
                 .arg(kReadyTimeout.count())
                 .arg(QString::fromLatin1(m_display), logs());
    return false;
}

bool XSession::startServer(QString* error, const QString& screen) {
    // -displayfd 1: the server writes its display number to standard output once it
    // accepts clients. -noreset: a server that resets when its last client leaves refuses
    // the clients that come meanwhile, and tests come and go all the time.
    const QString numberFile = QDir(m_folderPath).filePath(QStringLiteral("displayfd"));
    QFile::remove(numberFile);
    m_server =
        startChild({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("1"),
                    QStringLiteral("-screen"), QStringLiteral("0"), screen,
                    QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")},
                   QStringLiteral("xvfb"), numberFile, error);
    if (!m_server)
        return false;
    QByteArray number;
    if (!waitReady(
            *m_server,
            [&] {
                number = readFile(numberFile).trimmed();
                return !number.isEmpty();
            },
            QStringLiteral("Xvfb gave no display number"), error))
        return false;
    m_display = ':' + number;
    // A display a client cannot get into would be no test of anything.
    return waitReady(
        *m_server, [&] { return displayAccepts(m_display); },
        QStringLiteral("Xvfb takes no clients"), error);
}

bool XSession::startWindowManager(QString* error) {
    m_windowManager = startChild({QStringLiteral("openbox"), QStringLiteral("--sm-disable")},
                                 QStringLiteral("openbox"), {}, error);
    return m_windowManager && waitReady(
                                  *m_windowManager, [&] { return windowManagerRunning(m_display); },
                                  QStringLiteral("openbox did not take over"), error);
}

bool XSession::startTrayHost(QString* error, int widthPixels) {
    if (m_tray && !m_tray->hasEnded())
        return true;
    QStringList command{QStringLiteral("trayer"), QStringLiteral("--edge"),
                        QStringLiteral("top"),    QStringLiteral("--align"),
                        QStringLiteral("right"),  QStringLiteral("--height"),
                        QStringLiteral("24"),     QStringLiteral("--SetPartialStrut"),
                        QStringLiteral("false"),  QStringLiteral("--widthtype")};
    if (widthPixels > 0)
        command << QStringLiteral("pixel") << QStringLiteral("--width")
                << QString::number(widthPixels);
    else
        command << QStringLiteral("request");
    const QString name = ++m_trayStarts == 1 ? QStringLiteral("trayer")
                                             : QStringLiteral("trayer-%1").arg(m_trayStarts);
    auto tray = startChild(command, name, {}, error);
    // Only once it owns the tray selection do the icons embed at once.
    if (!tray || !waitReady(
                     *tray, [&] { return selectionOwned("_NET_SYSTEM_TRAY_S0", m_display); },
                     QStringLiteral("trayer took no tray selection"), error))
        return false;
    m_tray = std::move(tray);
    return true;
}

bool XSession::killTrayHost(QString* error) {
    if (!m_tray)
        return true;
    m_tray->sendSignal(SIGKILL);
    if (!m_tray->waitForEnd(kReadyTimeout)) {
        *error = QStringLiteral("trayer did not end after SIGKILL");
        return false;
    }
    m_tray.reset();
    return true;
}

void XSession::stop() {
    for (auto* child : {&m_tray, &m_windowManager, &m_server}) {
        if (*child && (*child)->sendSignal(SIGTERM) && !(*child)->waitForEnd(kReadyTimeout / 6))
            (*child)->kill();
        child->reset();
    }
}

QString XSession::processTable() const {
    QString table;
    const std::pair<const char*, const ChildProcess*> children[] = {
        {"xvfb", m_server.get()}, {"openbox", m_windowManager.get()}, {"trayer", m_tray.get()}};
    for (const auto& [name, child] : children) {
        if (child && child->started())
            table += QStringLiteral("%1 %2\n").arg(QLatin1String(name)).arg(child->pid());
    }
    return table;
}

QString XSession::logs() const {
    QString text;
    for (const QString& name : QDir(m_folderPath).entryList({QStringLiteral("*.log")})) {
        text += QStringLiteral("--- %1\n").arg(name) +
                QString::fromLocal8Bit(readFile(QDir(m_folderPath).filePath(name)).right(2000));
    }
    return text;
}

} // namespace tivrel::test
