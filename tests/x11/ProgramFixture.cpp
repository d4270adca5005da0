#include "ProgramFixture.h"

#include "Waiting.h"

#include <QFile>
#include <QFileInfo>

#include <iostream>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

const QString kNormalType = QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL");
const QString kDialogType = QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG");
const QString kToolTipType = QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLTIP");

// Where the pointer rests while a menu is open: off the menu, the main window and the tray.
constexpr QPoint kRestingPointer(640, 1010);

QString fileTail(const QString& path, qsizetype size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll().right(size));
}

} // namespace

bool isMainWindow(const WindowInfo& window) {
    return window.name == QStringLiteral("Tivrel") && !window.overrideRedirect &&
           !window.embeddedInTray() && window.types.contains(kNormalType) &&
           !window.types.contains(kDialogType);
}

bool isDialogTitled(const WindowInfo& window, const QString& title) {
    return window.viewable && window.name == title && window.types.contains(kDialogType);
}

bool isTrayIcon(const WindowInfo& window) {
    return window.embeddedInTray() && window.viewable && !window.geometry.isEmpty();
}

bool isPopupMenu(const WindowInfo& window) {
    return window.viewable && window.overrideRedirect && !window.embeddedInTray() &&
           window.transientFor != 0 && !window.types.contains(kToolTipType);
}

qint64 sessionTrayHostPid() {
    const QString displayFile = qEnvironmentVariable("TIVREL_X11_DISPLAY_FILE");
    if (displayFile.isEmpty())
        return 0;
    QFile pids(QFileInfo(displayFile).absolutePath() + QStringLiteral("/pids"));
    if (!pids.open(QIODevice::ReadOnly))
        return 0;
    // "name pid" per line
    for (const QByteArray& line : pids.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 2 && fields[0] == "trayer")
            return fields[1].toLongLong();
    }
    return 0;
}

void ProgramTest::SetUp() {
    ASSERT_TRUE(home.isValid()) << qPrintable(home.error());
    ASSERT_FALSE(desktop.display().isEmpty()) << "no DISPLAY";
    // Where an earlier test left it, the pointer might rest on a window that opens.
    ASSERT_TRUE(desktop.movePointer(kRestingPointer)) << qPrintable(desktop.lastFailure());
}

void ProgramTest::TearDown() {
    if (HasFailure()) {
        for (const Started& started : m_started) {
            std::cerr << "--- program " << started.process->pid() << " on "
                      << started.desktop.display().constData() << ": "
                      << qPrintable(started.process->describeEnd()) << "\n";
            const DisplayLook look = started.desktop.look(started.process->pid());
            for (const WindowInfo& window : look.windows)
                std::cerr << "  window " << window << "\n";
            std::cerr << "  standard error:\n"
                      << qPrintable(fileTail(started.errorFile, 6000)) << "\n";
            std::cerr << "  dialog log:\n"
                      << started.home->dialogLogText().right(4000).constData() << "\n";
        }
        if (!lastFailure.isEmpty())
            std::cerr << "last failure: " << qPrintable(lastFailure) << "\n";
    }
    // Whatever still runs goes, before the next test starts.
    for (Started& started : m_started)
        started.process->kill();
}

ChildProcess* ProgramTest::startProgram(const QStringList& wrapper) {
    return startProgram(home, desktop, wrapper);
}

ChildProcess* ProgramTest::startProgram(ProgramHome& programHome, const Desktop& on,
                                        const QStringList& wrapper) {
    const int number = int(m_started.size()) + 1;
    Started started{std::make_unique<ChildProcess>(), &programHome, on,
                    programHome.path(QStringLiteral("program-%1.err").arg(number))};
    QString error;
    if (!started.process->start(wrapper + QStringList{programHome.program()},
                                programHome.environment(on.display()),
                                programHome.path(QStringLiteral("program-%1.out").arg(number)),
                                started.errorFile, &error)) {
        lastFailure = error;
        return nullptr;
    }
    m_started.push_back(std::move(started));
    return m_started.back().process.get();
}

QString ProgramTest::standardError(const ChildProcess& program) const {
    for (const Started& started : m_started) {
        if (started.process.get() == &program)
            return fileTail(started.errorFile, 1 << 20);
    }
    return QString();
}

std::vector<WindowInfo>
ProgramTest::windowsOf(ChildProcess& program,
                       const std::function<bool(const WindowInfo&)>& wanted) {
    const Desktop* on = &desktop;
    for (const Started& started : m_started) {
        if (started.process.get() == &program)
            on = &started.desktop;
    }
    std::vector<WindowInfo> found;
    for (const WindowInfo& window : on->look(program.pid()).windows) {
        if (wanted(window))
            found.push_back(window);
    }
    return found;
}

std::optional<WindowInfo>
ProgramTest::waitForWindow(ChildProcess& program,
                           const std::function<bool(const WindowInfo&)>& wanted,
                           std::chrono::milliseconds timeout) {
    std::optional<WindowInfo> found;
    waitUntil(
        [&] {
            const std::vector<WindowInfo> windows = windowsOf(program, wanted);
            if (!windows.empty())
                found = windows.front();
            // A program that has ended shows nothing any more.
            return found.has_value() || program.hasEnded();
        },
        timeout, 100ms);
    return found;
}

bool ProgramTest::waitForNoWindow(ChildProcess& program,
                                  const std::function<bool(const WindowInfo&)>& unwanted,
                                  std::chrono::milliseconds timeout) {
    return waitUntil([&] { return program.hasEnded() || windowsOf(program, unwanted).empty(); },
                     timeout, 100ms);
}

bool ProgramTest::waitForDialogs(std::size_t count, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return home.dialogs().size() >= count; }, timeout, 100ms);
}

bool ProgramTest::answerBox(ChildProcess& program, const QString& title, const QString& key) {
    const Desktop* on = &desktop;
    for (const Started& started : m_started) {
        if (started.process.get() == &program)
            on = &started.desktop;
    }
    const auto isBox = [&title](const WindowInfo& w) { return isDialogTitled(w, title); };
    // A key typed before the box had the focus goes elsewhere: try again while it stays.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<WindowInfo> box =
            waitForWindow(program, isBox, attempt == 0 ? kAppearTimeout : 5s);
        if (!box) {
            lastFailure = QStringLiteral("no box \"%1\" showed (%2)")
                              .arg(title, program.hasEnded() ? program.describeEnd()
                                                             : QStringLiteral("still running"));
            return false;
        }
        if (!on->activate(box->id) || !on->keys({key})) {
            lastFailure = on->lastFailure();
            continue;
        }
        const unsigned long id = box->id;
        if (waitForNoWindow(
                program, [id](const WindowInfo& w) { return w.id == id && w.viewable; }, 15s))
            return true;
        lastFailure = QStringLiteral("the box \"%1\" stayed after %2").arg(title, key);
    }
    return false;
}

std::optional<WindowInfo> ProgramTest::openTrayMenu(ChildProcess& program, int button) {
    const std::optional<WindowInfo> icon = waitForTrayIcon(program);
    if (!icon) {
        lastFailure = QStringLiteral("no tray icon");
        return std::nullopt;
    }
    if (!desktop.click(icon->geometry.center(), button)) {
        lastFailure = desktop.lastFailure();
        return std::nullopt;
    }
    std::optional<WindowInfo> menu = waitForWindow(program, isPopupMenu);
    if (!menu) {
        lastFailure = QStringLiteral("no menu opened");
        return std::nullopt;
    }
    if (!desktop.movePointer(kRestingPointer)) {
        lastFailure = desktop.lastFailure();
        return std::nullopt;
    }
    return menu;
}

void ProgramTest::expectExit(ChildProcess& program, int code) {
    ASSERT_TRUE(program.waitForEnd(kExitTimeout)) << "the program did not end";
    EXPECT_TRUE(program.exitedNormally()) << qPrintable(program.describeEnd());
    EXPECT_EQ(program.exitCode(), code) << qPrintable(program.describeEnd());
    const QString errors = standardError(program);
    EXPECT_FALSE(errors.contains(QStringLiteral("Sanitizer")) ||
                 errors.contains(QStringLiteral("runtime error:")))
        << qPrintable(errors);
}

void ProgramTest::expectNonZeroExit(ChildProcess& program) {
    ASSERT_TRUE(program.waitForEnd(kExitTimeout)) << "the program did not end";
    EXPECT_TRUE(program.exitedNormally()) << qPrintable(program.describeEnd());
    EXPECT_NE(program.exitCode(), 0) << qPrintable(program.describeEnd());
    const QString errors = standardError(program);
    EXPECT_FALSE(errors.contains(QStringLiteral("Sanitizer")) ||
                 errors.contains(QStringLiteral("runtime error:")))
        << qPrintable(errors);
}

} // namespace tivrel::test
