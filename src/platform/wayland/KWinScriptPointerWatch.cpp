#include "platform/wayland/KWinScriptPointerWatch.h"

#include <QDBusMessage>
#include <QDir>
#include <QObject>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace tivrel {

namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
// One name for the script of every run and every start: a script that a killed program left
// loaded is found by it and unloaded at the next start.
const QString kPluginName = QStringLiteral("tivrel-pointer-watch");
const QString kReportsPath = QStringLiteral("/PointerWatch");

// The place at once, and the first place that differs from it; after that KWin runs nothing
// more of the script until it is unloaded, so a program that died during a run costs KWin
// one call to a name that is gone.
// The numbers are copied: a place read from workspace is read again at each use.
constexpr char kScript[] = R"(const run = %1;
const startX = workspace.cursorPos.x;
const startY = workspace.cursorPos.y;
function report(x, y) {
    callDBus("%2", "%3", "org.tivrel.PointerWatch", "position", run, x, y);
}
function changed() {
    const x = workspace.cursorPos.x;
    const y = workspace.cursorPos.y;
    if (x === startX && y === startY)
        return;
    workspace.cursorPosChanged.disconnect(changed);
    report(x, y);
}
workspace.cursorPosChanged.connect(changed);
report(startX, startY);
)";

QDBusMessage callScripting(const QDBusConnection& bus, const QString& method,
                           const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"), kScripting, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, 2000);
}

} // namespace

// Where the script's reports arrive: an object of the reports' thread, so QtDBus delivers
// them there and not on the UI thread.
class KWinPointerReports final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tivrel.PointerWatch")
public:
    explicit KWinPointerReports(KWinScriptPointerWatch& watch) : m_watch(watch) {}

public slots:
    Q_SCRIPTABLE void position(int run, int x, int y) { m_watch.reported(run, x, y); }

private:
    KWinScriptPointerWatch& m_watch;
};

KWinScriptPointerWatch::KWinScriptPointerWatch(const QDBusConnection& bus)
    : m_bus(bus),
      // In the session's runtime folder, not /tmp: the file of a program that was killed goes
      // at the end of the session instead of staying.
      m_script(QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
                   .filePath(QStringLiteral("tivrel-pointer-watch-XXXXXX.js"))),
      m_reports(std::make_unique<KWinPointerReports>(*this)) {
    m_thread.setObjectName(QStringLiteral("KWin pointer reports"));
    m_reports->moveToThread(&m_thread);
    m_thread.start();
    // The script a killed program left loaded goes first; KWin's answer also tells that its
    // scripting is still there.
    if (!m_script.open() ||
        callScripting(m_bus, QStringLiteral("unloadScript"), {kPluginName}).type() !=
            QDBusMessage::ReplyMessage ||
        !m_bus.registerObject(kReportsPath, m_reports.get(),
                              QDBusConnection::ExportScriptableSlots)) {
        qWarning("Tivrel: KWin's scripting cannot be reached: pointer moves go unseen");
        return;
    }
    m_sees = true;
}

KWinScriptPointerWatch::~KWinScriptPointerWatch() {
    unload();
    m_bus.unregisterObject(kReportsPath);
    m_thread.quit();
    m_thread.wait();
}

void KWinScriptPointerWatch::begin() {
    int run = 0;
    {
        std::lock_guard lock(m_startLock);
        run = ++m_run;
        m_tracker.begin();
    }
    unload();
    QString error;
    if (!load(run, &error)) {
        if (!std::exchange(m_failureLogged, true))
            qWarning("Tivrel: the pointer watch's KWin script did not load (%s): pointer moves "
                     "go unseen",
                     qPrintable(error));
        m_sees = false;
        return;
    }
    m_sees = true;
    std::unique_lock lock(m_startLock);
    if (!m_started.wait_for(lock, std::chrono::seconds(2), [&] { return m_startedRun == run; }))
        qWarning("Tivrel: KWin's script did not tell where the pointer is; the first place it "
                 "tells counts as the start");
}

void KWinScriptPointerWatch::end() {
    {
        // A late report of this run counts no more.
        std::lock_guard lock(m_startLock);
        ++m_run;
        m_tracker.end();
    }
    unload();
}

void KWinScriptPointerWatch::reported(int run, int x, int y) {
    std::lock_guard lock(m_startLock);
    if (run != m_run)
        return;
    if (m_tracker.tell(x, y) == CursorTracker::Place::Start) {
        m_startedRun = run;
        m_started.notify_all();
    }
}

void KWinScriptPointerWatch::sync() {
    callScripting(m_bus, QStringLiteral("isScriptLoaded"), {kPluginName});
    QMetaObject::invokeMethod(
        m_reports.get(), [] {}, Qt::BlockingQueuedConnection);
}

bool KWinScriptPointerWatch::load(int run, QString* error) {
    const QByteArray text = QString::fromLatin1(kScript)
                                .arg(QString::number(run), m_bus.baseService(), kReportsPath)
                                .toUtf8();
    if (!m_script.isOpen() || !m_script.resize(0) || !m_script.seek(0) ||
        m_script.write(text) != text.size() || !m_script.flush()) {
        *error = QStringLiteral("cannot write %1").arg(m_script.fileName());
        return false;
    }
    const QDBusMessage loaded =
        callScripting(m_bus, QStringLiteral("loadScript"), {m_script.fileName(), kPluginName});
    const int id = loaded.arguments().value(0, -1).toInt();
    if (loaded.type() != QDBusMessage::ReplyMessage || id < 0) {
        *error = loaded.type() == QDBusMessage::ErrorMessage ? loaded.errorMessage()
                                                             : QStringLiteral("KWin refused it");
        return false;
    }
    m_loaded = true;
    // KWin 5 puts a script's object at /<id>, KWin 6 at /Scripting/Script<id>.
    for (const QString& path :
         {QStringLiteral("/%1").arg(id), QStringLiteral("/Scripting/Script%1").arg(id)}) {
        const QDBusMessage ran = m_bus.call(
            QDBusMessage::createMethodCall(kKWin, path, QStringLiteral("org.kde.kwin.Script"),
                                           QStringLiteral("run")),
            QDBus::Block, 2000);
        if (ran.type() == QDBusMessage::ReplyMessage)
            return true;
        *error = ran.errorMessage();
    }
    return false;
}

void KWinScriptPointerWatch::unload() {
    if (std::exchange(m_loaded, false))
        callScripting(m_bus, QStringLiteral("unloadScript"), {kPluginName});
}

} // namespace tivrel

#include "KWinScriptPointerWatch.moc"
