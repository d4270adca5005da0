#include "ProgramFixture.h"

#include "Waiting.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <iostream>

namespace tivrel::test {

using namespace std::chrono_literals;

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
            ProgramDriver& driver = *started.driver;
            std::cerr << "--- program " << driver.process().pid() << " on "
                      << qPrintable(started.desktop->name()) << ": "
                      << qPrintable(driver.process().describeEnd()) << "\n";
            for (const WindowInfo& window : driver.windows([](const WindowInfo&) { return true; }))
                std::cerr << "  window " << window << "\n";
            std::cerr << "  standard error:\n" << qPrintable(driver.standardError(6000)) << "\n";
            std::cerr << "  dialog log:\n"
                      << driver.home().dialogLogText().right(4000).constData() << "\n";
        }
        if (!lastFailure.isEmpty())
            std::cerr << "last failure: " << qPrintable(lastFailure) << "\n";
    }
    // Whatever still runs goes, before the next test starts.
    for (Started& started : m_started)
        started.driver->process().kill();
}

ChildProcess* ProgramTest::startProgram(const QStringList& wrapper) {
    return startProgram(home, desktop, wrapper);
}

ChildProcess* ProgramTest::startProgram(ProgramHome& programHome, const X11TestSession& on,
                                        const QStringList& wrapper) {
    Started started;
    started.desktop = std::make_unique<X11TestSession>(on);
    started.driver = std::make_unique<ProgramDriver>(*started.desktop, programHome);
    if (!started.driver->start(&lastFailure, wrapper))
        return nullptr;
    m_started.push_back(std::move(started));
    return &m_started.back().driver->process();
}

ProgramDriver& ProgramTest::driverOf(ChildProcess& program) {
    for (Started& started : m_started) {
        if (&started.driver->process() == &program)
            return *started.driver;
    }
    // Every process a test drives comes from startProgram.
    std::abort();
}

QString ProgramTest::standardError(const ChildProcess& program) const {
    for (const Started& started : m_started) {
        if (&started.driver->process() == &program)
            return started.driver->standardError();
    }
    return QString();
}

std::vector<WindowInfo>
ProgramTest::windowsOf(ChildProcess& program,
                       const std::function<bool(const WindowInfo&)>& wanted) {
    return driverOf(program).windows(wanted);
}

std::optional<WindowInfo>
ProgramTest::waitForWindow(ChildProcess& program,
                           const std::function<bool(const WindowInfo&)>& wanted,
                           std::chrono::milliseconds timeout) {
    return driverOf(program).waitForWindow(wanted, timeout);
}

bool ProgramTest::waitForNoWindow(ChildProcess& program,
                                  const std::function<bool(const WindowInfo&)>& unwanted,
                                  std::chrono::milliseconds timeout) {
    return driverOf(program).waitForNoWindow(unwanted, timeout);
}

bool ProgramTest::waitForDialogs(std::size_t count, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return home.dialogs().size() >= count; }, timeout, 100ms);
}

bool ProgramTest::waitUntilOnTop(unsigned long window, QString* state) {
    return waitUntil(
        [&] {
            *state = desktop.xprop(window, QStringLiteral("_NET_WM_STATE"));
            return state->contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
        },
        20s, 100ms);
}

bool ProgramTest::answerBox(ChildProcess& program, const QString& title, const QString& key) {
    return driverOf(program).answerBox(title, key, &lastFailure);
}

std::optional<WindowInfo> ProgramTest::openTrayMenu(ChildProcess& program, int button) {
    return driverOf(program).openTrayMenu(button, &lastFailure);
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
