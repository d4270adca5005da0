// Starts and stops an X session that outlives this tool: for CTest's set-up and clean-up
// steps of the X11 tests, and for the screenshot script.
//
//   tivrel-x-session start STATE_DIR [--screen WxHxD] [--tray-width PIXELS]
//   tivrel-x-session stop STATE_DIR
//
// start runs Xvfb, openbox and trayer in sessions of their own and returns once all are
// ready. STATE_DIR then holds:
//   display   the display name (":N"), written last, once everything is ready
//   pids      "name pid" per started process, in start order (stop reads it)
//   *.log     what each process printed
// stop ends what start recorded, last started first. Only processes that still run the
// program recorded for them are signalled, so a PID reused by something else is left alone.
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

using namespace tivrel::test;

// Whether PID still runs the program recorded as `name`. A zombie has ended already; it
// waits only for its parent to collect it.
bool stillOurs(const QByteArray& name, qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "PID (COMM) STATE ...": the name may hold spaces, the state follows its last ')'.
    const QByteArray line = stat.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open || close + 2 >= line.size() || line[close + 2] == 'Z')
        return false;
    const QByteArray comm = line.mid(open + 1, close - open - 1);
    return comm == (name == "xvfb" ? QByteArray("Xvfb") : name);
}

void stopOne(const QByteArray& name, qint64 pid) {
    if (!stillOurs(name, pid))
        return;
    ::kill(pid_t(pid), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (stillOurs(name, pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (stillOurs(name, pid)) {
        std::fprintf(stderr, "tivrel-x-session: %s (%lld) ignored TERM, killing it\n",
                     name.constData(), pid);
        ::kill(pid_t(pid), SIGKILL);
    }
}

int stop(const QDir& state) {
    QFile::remove(state.filePath(QStringLiteral("display")));
    QFile pids(state.filePath(QStringLiteral("pids")));
    if (pids.open(QIODevice::ReadOnly)) {
        QList<QByteArray> lines = pids.readAll().split('\n');
        // Clients before the server they are connected to.
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            const QList<QByteArray> fields = line->simplified().split(' ');
            if (fields.size() == 2)
                stopOne(fields[0], fields[1].toLongLong());
        }
        pids.remove();
    }
    QFile::remove(state.filePath(QStringLiteral("displayfd")));
    return 0;
}

bool writeFile(const QString& path, const QString& text) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toLocal8Bit()) >= 0 && file.commit();
}

int start(const QDir& state, const QString& screen, int trayWidth) {
    stop(state); // left over from a run interrupted before its clean-up
    if (!state.mkpath(QStringLiteral(".")))
        return std::fprintf(stderr, "tivrel-x-session: cannot make %s\n", qPrintable(state.path())),
               1;
    for (const QString& log : state.entryList({QStringLiteral("*.log")}))
        QFile::remove(state.filePath(log));
    XSession session(state.path());
    session.setDetached(true);
    QString error;
    const bool ready = session.startServer(&error, screen) && session.startWindowManager(&error) &&
                       session.startTrayHost(&error, trayWidth) &&
                       writeFile(state.filePath(QStringLiteral("pids")), session.processTable()) &&
                       writeFile(state.filePath(QStringLiteral("display")),
                                 QString::fromLatin1(session.display()) + u'\n');
    if (!ready) {
        std::fprintf(stderr, "tivrel-x-session: %s\n",
                     qPrintable(error.isEmpty()
                                    ? QStringLiteral("cannot write into ") + state.path()
                                    : error));
        session.stop();
        stop(state);
        return 1;
    }
    std::printf("tivrel-x-session: X server on %s, window manager and tray host ready (state in "
                "%s)\n",
                session.display().constData(), qPrintable(state.path()));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    QString screen = QStringLiteral("1280x1024x24");
    int trayWidth = 0;
    bool ok = args.size() >= 2 && (args[0] == QLatin1String("start") || args.size() == 2);
    for (qsizetype i = 2; ok && i < args.size(); i += 2) {
        ok = i + 1 < args.size();
        if (ok && args[i] == QLatin1String("--screen"))
            screen = args[i + 1];
        else if (ok && args[i] == QLatin1String("--tray-width"))
            trayWidth = args[i + 1].toInt(&ok);
        else
            ok = false;
    }
    if (!ok || (args[0] != QLatin1String("start") && args[0] != QLatin1String("stop"))) {
        std::fputs("usage: tivrel-x-session start STATE_DIR [--screen WxHxD] [--tray-width N]\n"
                   "       tivrel-x-session stop STATE_DIR\n",
                   stderr);
        return 2;
    }
    const QDir state(args[1]);
    return args[0] == QLatin1String("start") ? start(state, screen, trayWidth) : stop(state);
}
