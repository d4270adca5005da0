#include "PortalDialogs.h"

#include "Waiting.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>

#include <csignal>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

constexpr char kLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char kPython[] = "/usr/bin/python3"; // Debian's, which has pyatspi
constexpr char kPyatspi[] = "/usr/lib/python3/dist-packages/pyatspi/__init__.py";

QString logTail(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    log.seek(qMax<qint64>(0, log.size() - 2000));
    return QString::fromLocal8Bit(log.readAll());
}

} // namespace

PortalDialogs::~PortalDialogs() {
    stop();
}

bool PortalDialogs::start(const QDBusConnection& bus, const QStringList& environment,
                          const QString& folder, QString* error) {
    for (const auto& [file, package] : {std::pair{kLauncher, "at-spi2-core"},
                                        {kPython, "python3"},
                                        {kPyatspi, "python3-pyatspi"}}) {
        if (!QFileInfo::exists(QString::fromLatin1(file))) {
            *error = QStringLiteral("%1 is missing (package %2)").arg(file, package);
            return false;
        }
    }
    m_folder = folder;
    const QString launcherLog = folder + QStringLiteral("/at-spi.log");
    if (!m_accessibility.start({QString::fromLatin1(kLauncher)}, environment, launcherLog,
                               launcherLog, error))
        return false;
    // The dialogs and the answerer ask the launcher for the accessibility bus's address once,
    // at their start: it must be on the session bus by then, or they never see each other.
    if (!waitUntil(
            [&] {
                return bus.interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus")) ||
                       m_accessibility.hasEnded();
            },
            20s, 5ms) ||
        m_accessibility.hasEnded()) {
        *error = QStringLiteral("the accessibility bus did not start (%1): %2")
                     .arg(m_accessibility.describeEnd(), logTail(launcherLog));
        return false;
    }
    return m_answerer.start({QString::fromLatin1(kPython),
                             QStringLiteral(TIVREL_PORTAL_DIALOG_SCRIPT),
                             folder + QStringLiteral("/dialog-answer")},
                            environment, folder + QStringLiteral("/dialogs.log"),
                            folder + QStringLiteral("/dialogs.err"), error);
}

void PortalDialogs::stop() {
    // The launcher ends the bus it started only when asked to end.
    if (m_accessibility.sendSignal(SIGTERM))
        m_accessibility.waitForEnd(2s);
    for (ChildProcess* child : {&m_answerer, &m_accessibility}) {
        if (child->started() && !child->hasEnded())
            ::kill(-pid_t(child->pid()), SIGKILL);
        child->kill();
    }
}

void PortalDialogs::answerWith(PortalDialogAnswer answer) {
    QFile file(m_folder + QStringLiteral("/dialog-answer"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(answer == PortalDialogAnswer::Cancel ? "cancel\n" : "share\n");
}

int PortalDialogs::answered() const {
    QFile file(m_folder + QStringLiteral("/dialogs.log"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int answered = 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        answered += line == "shared" || line == "cancelled";
    return answered;
}

} // namespace tivrel::test
