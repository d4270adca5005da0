// The Wayland session's clicks through the desktop portal, against a fake portal on a session
// bus of the test's own: what the first run asks for and what it keeps, a refusal, the click
// thread's clicks, and a session the desktop ends; and its start/stop key through the portal's
// global shortcuts.
#include "platform/wayland/PortalSession.h"
#include "ChildProcess.h"
#include "FakeDesktopPortal.h"
#include "fakes/FakeShellServices.h"
#include "platform/wayland/PortalProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace tivrel::test {
namespace {

const QString kGrant = QStringLiteral("Desktop/RemoteDesktopGrant");

// A session bus for the whole program: Qt's session bus connection is made once a process.
class SessionBus {
public:
    static SessionBus& get() {
        static SessionBus bus;
        return bus;
    }
    QString address() const { return m_address; }
    QString error() const { return m_error; }

private:
    SessionBus() {
        const QString socket = m_dir.filePath(QStringLiteral("bus"));
        m_address = QStringLiteral("unix:path=") + socket;
        if (!m_daemon.start({QStringLiteral("dbus-daemon"), QStringLiteral("--session"),
                             QStringLiteral("--nofork"), QStringLiteral("--address=") + m_address},
                            QProcessEnvironment::systemEnvironment().toStringList(),
                            m_dir.filePath(QStringLiteral("out")),
                            m_dir.filePath(QStringLiteral("err")), &m_error))
            return;
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket) && waited.elapsed() < 5000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!QFileInfo::exists(socket))
            m_error = QStringLiteral("dbus-daemon made no socket");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }
    QTemporaryDir m_dir;
    ChildProcess m_daemon;
    QString m_address;
    QString m_error;
};

std::string lines(const QStringList& list) {
    return list.join(u'\n').toStdString();
}

bool pumpUntil(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class PortalSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SessionBus::get().error().isEmpty()) << qPrintable(SessionBus::get().error());
        ASSERT_TRUE(portal.registered());
    }
    std::unique_ptr<DisplaySession> newSession(uint version = 1) {
        portal.setVersion(version);
        auto session = newPortalSession({.pointer = true, .remoteDesktopVersion = version}, false);
        session->keepGrantsIn(settings);
        return session;
    }
    // The calls after the session's Start: its clicks and its end.
    QStringList callsAfterStart() const {
        const QStringList all = portal.calls();
        const qsizetype start = all.indexOf(QRegularExpression(QStringLiteral("Start .*")));
        return start < 0 ? QStringList() : all.mid(start + 1);
    }

    FakeDesktopPortal portal{SessionBus::get().address()};
    FakeSettingsStore settings;
};

struct AskCase {
    const char* name;
    uint version;
    QString storedGrant;
    FakeDesktopPortal::Dialog dialog;
    bool portalFails;
    QStringList calls;   // through Start
    const char* refusal; // what the user reads; nullptr: allowed
    QString grantAfter;  // in the settings afterwards
    const char* notice;  // part of what is told before the dialog; nullptr: nothing
};

const char* const kEachStart = "asks once each time it starts";

const AskCase kAsks[] = {
    {"AllowedWherePortalKeepsNoGrants",
     1,
     {},
     {0, 2, {}},
     false,
     {"CreateSession", "SelectDevices types=2 persist=0 token=", "Start parent="},
     nullptr,
     {},
     kEachStart},
    {"AllowedAndKeptForTheNextStart",
     2,
     "kept",
     {0, 2, "fresh"},
     false,
     {"CreateSession", "SelectDevices types=2 persist=2 token=kept", "Start parent="},
     nullptr,
     "fresh",
     nullptr},
    {"FirstAllowedWherePortalKeepsGrants",
     2,
     {},
     {0, 2, "fresh"},
     false,
     {"CreateSession", "SelectDevices types=2 persist=2 token=", "Start parent="},
     nullptr,
     "fresh",
     "asks once and remembers"},
    {"Cancelled",
     1,
     {},
     {1, 0, {}},
     false,
     {"CreateSession", "SelectDevices types=2 persist=0 token=", "Start parent=", "close"},
     "Tivrel was not allowed to click: the request was cancelled. Press ENTER to be asked "
     "again.",
     {},
     kEachStart},
    {"ScreenSharedWithoutThePointer",
     1,
     {},
     {0, 0, {}},
     false,
     {"CreateSession", "SelectDevices types=2 persist=0 token=", "Start parent=", "close"},
     "Tivrel was not allowed to control the pointer. Press ENTER and, when the system asks, "
     "allow remote interaction.",
     {},
     kEachStart},
    // The dialog ends the request itself, with nothing to add to the message.
    {"DialogEndsOtherwise",
     1,
     {},
     {2, 0, {}},
     false,
     {"CreateSession", "SelectDevices types=2 persist=0 token=", "Start parent=", "close"},
     "The desktop's remote desktop service (xdg-desktop-portal) did not answer as expected, so "
     "Tivrel cannot click on this desktop now.",
     {},
     kEachStart},
    {"PortalFails",
     1,
     {},
     {},
     true,
     {"CreateSession"},
     "The desktop's remote desktop service (xdg-desktop-portal) did not answer as expected, so "
     "Tivrel cannot click on this desktop now.\n\nno session today",
     {},
     kEachStart},
};

class PortalAskTest : public PortalSessionTest, public ::testing::WithParamInterface<AskCase> {};

TEST_P(PortalAskTest, AsksOnceAndClicksOnlyWhenAllowed) {
    const AskCase& c = GetParam();
    portal.setDialog(c.dialog);
    portal.failCreateSession(c.portalFails);
    if (!c.storedGrant.isEmpty())
        settings.values[kGrant] = c.storedGrant;
    auto session = newSession(c.version);
    Mouse& mouse = session->mouse();

    ASSERT_TRUE(mouse.mustAsk());
    const QString notice = mouse.askNotice();
    EXPECT_EQ(notice.isEmpty(), c.notice == nullptr) << qPrintable(notice);
    if (c.notice) {
        EXPECT_TRUE(notice.contains(QLatin1String(c.notice))) << qPrintable(notice);
    }
    EXPECT_TRUE(mouse.askNotice().isEmpty()) << "the notice is told once";
    QString refusal;
    const bool allowed = mouse.ask(&refusal);
    EXPECT_EQ(allowed, c.refusal == nullptr) << qPrintable(refusal);
    if (c.refusal) {
        EXPECT_EQ(refusal, QLatin1String(c.refusal));
    }
    EXPECT_EQ(settings.values.value(kGrant), c.grantAfter.isEmpty() ? c.storedGrant : c.grantAfter);
    EXPECT_EQ(mouse.mustAsk(), !allowed);

    mouse.click(MouseButton::Right);
    QStringList calls = portal.calls();
    if (allowed) {
        // One motion of nothing wakes a new session's buttons, and moves nothing.
        calls = calls.mid(0, calls.size() - 3);
        EXPECT_EQ(callsAfterStart(), QStringList({"motion 0 0", "button 273 1", "button 273 0"}));
    }
    EXPECT_EQ(calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, PortalAskTest, ::testing::ValuesIn(kAsks),
                         [](const auto& info) { return std::string(info.param.name); });

// The click thread's clicks reach the portal in order, every press before its release, each
// with its button's own code.
TEST_F(PortalSessionTest, ClickThreadsClicksArriveInOrder) {
    auto session = newSession();
    Mouse& mouse = session->mouse();
    QString refusal;
    ASSERT_TRUE(mouse.ask(&refusal)) << qPrintable(refusal);
    const MouseButton buttons[] = {MouseButton::Left, MouseButton::Middle, MouseButton::Right};
    QStringList expected{"motion 0 0"};
    for (int i = 0; i < 300; ++i) {
        const int code = 0x110 + (i % 3 == 1 ? 2 : i % 3 == 2 ? 1 : 0);
        expected << QStringLiteral("button %1 1").arg(code)
                 << QStringLiteral("button %1 0").arg(code);
    }
    std::thread clicks([&] {
        for (int i = 0; i < 300; ++i)
            mouse.click(buttons[i % 3]);
    });
    clicks.join();
    EXPECT_EQ(lines(callsAfterStart()), lines(expected));
}

struct LossCase {
    const char* name;
    void (*lose)(FakeDesktopPortal&);
};

const LossCase kLosses[] = {
    {"DesktopEndsTheSession", [](FakeDesktopPortal& p) { p.endSessions(); }},
    {"PortalLeavesTheBus", [](FakeDesktopPortal& p) { p.leaveBus(); }},
};

class PortalLossTest : public PortalSessionTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(PortalLossTest, ClicksStopAndTheNextRunAsksAgain) {
    auto session = newSession();
    Mouse& mouse = session->mouse();
    QString refusal;
    ASSERT_TRUE(mouse.ask(&refusal)) << qPrintable(refusal);
    GetParam().lose(portal);
    ASSERT_TRUE(pumpUntil([&] { return mouse.lost(); }));
    portal.clearCalls();
    mouse.click(MouseButton::Left);
    EXPECT_EQ(lines(portal.calls()), "");
    EXPECT_TRUE(mouse.mustAsk());
}

INSTANTIATE_TEST_SUITE_P(Losses, PortalLossTest, ::testing::ValuesIn(kLosses),
                         [](const auto& info) { return std::string(info.param.name); });

// The start/stop key, through the session as the program makes it from what the probe found.
class PortalKeyTest : public PortalSessionTest {
protected:
    PortalKeyTest() { portal.setBinding({0, QStringLiteral("F6")}); }
    StartStopKey& key() {
        if (!m_session) {
            m_session = newPortalSession(probeDesktopPortal(), false);
            m_session->toolkitStarted();
            m_session->startStopKey().onPressed([this] { ++presses; });
            m_session->startStopKey().onLost([this] { ++losses; });
        }
        return m_session->startStopKey();
    }
    int presses = 0;
    int losses = 0;

private:
    std::unique_ptr<DisplaySession> m_session;
};

struct BindCase {
    const char* name;
    uint shortcutsVersion; // 0: the portal has no global shortcuts
    const char* before;    // a key chosen first, or nullptr
    const char* key;
    FakeDesktopPortal::Binding binding;
    StartStopKey::Result result;
    QString held;
    QStringList calls; // after the program named itself
};

using Result = StartStopKey::Result;
// clang-format off
const BindCase kBinds[] = {
    {"Bound", 1, nullptr, "F6", {0, "F6"}, Result::Held, "F6",
     {"shortcuts session", "bind start-stop=F6"}},
    {"ModifiersInTheDesktopsWords", 1, nullptr, "Ctrl+Alt+K", {0, "Ctrl+Alt+K"}, Result::Held,
     "Ctrl+Alt+K", {"shortcuts session", "bind start-stop=CTRL+ALT+k"}},
    {"TheDesktopsOwnKeyShown", 1, nullptr, "F6", {0, "Meta+F9"}, Result::Held, "Meta+F9",
     {"shortcuts session", "bind start-stop=F6"}},
    {"ChosenAgainInANewSession", 1, "F6", "Shift+Space", {0, "Shift+Space"}, Result::Held,
     "Shift+Space", {"shortcuts session", "bind start-stop=F6", "close", "shortcuts session",
                     "bind start-stop=SHIFT+space"}},
    {"CancelledInTheDesktopsDialog", 1, nullptr, "F6", {1, {}}, Result::Refused, {},
     {"shortcuts session", "bind start-stop=F6", "close"}},
    {"DesktopsServiceFailed", 1, nullptr, "F6", {2, {}}, Result::Refused, {},
     {"shortcuts session", "bind start-stop=F6", "close"}},
    {"BoundWithoutAKey", 1, nullptr, "F6", {0, {}}, Result::Unassigned, {},
     {"shortcuts session", "bind start-stop=F6"}},
    {"KeyTheDesktopCannotName", 1, nullptr, "Volume Up", {0, "F6"}, Result::Refused, {}, {}},
    {"NoneLetsGo", 1, "F6", "", {0, "F6"}, Result::Held, {},
     {"shortcuts session", "bind start-stop=F6", "close"}},
    {"NotOffered", 0, nullptr, "F6", {0, "F6"}, Result::NotOffered, {}, {}},
};
// clang-format on

class PortalKeyBindTest : public PortalKeyTest, public ::testing::WithParamInterface<BindCase> {};

TEST_P(PortalKeyBindTest, HoldsWhatTheDesktopBound) {
    const BindCase& c = GetParam();
    portal.setShortcutsVersion(c.shortcutsVersion);
    portal.setBinding(c.binding);
    if (c.before)
        key().hold(QLatin1String(c.before));
    EXPECT_EQ(key().hold(QLatin1String(c.key)), c.result);
    EXPECT_EQ(key().heldKey(), c.held);
    // The program names itself before any other call, or a newer portal will not hear it.
    EXPECT_EQ(lines(portal.calls()),
              lines(QStringList{QStringLiteral("Register ") + TIVREL_APP_ID} + c.calls));
}

INSTANTIATE_TEST_SUITE_P(Keys, PortalKeyBindTest, ::testing::ValuesIn(kBinds),
                         [](const auto& info) { return std::string(info.param.name); });

// Each press is one start or stop: the release, the repeats of a key held down and another
// shortcut's press are none.
TEST_F(PortalKeyTest, EachPressOfTheKeyIsOnePress) {
    ASSERT_EQ(key().hold(QStringLiteral("F6")), Result::Held);
    portal.pressShortcut(QStringLiteral("start-stop"));
    portal.pressShortcut(QStringLiteral("start-stop"), 12);
    portal.pressShortcut(QStringLiteral("start-stop"));
    portal.pressShortcut(QStringLiteral("another"));
    ASSERT_TRUE(pumpUntil([&] { return presses >= 3; }));
    // Whatever the portal sent before this answer has arrived once it is in.
    ASSERT_EQ(key().hold(QStringLiteral("F6")), Result::Held);
    QCoreApplication::processEvents();
    EXPECT_EQ(presses, 3);
    EXPECT_EQ(losses, 0);
}

struct KeyLossCase {
    const char* name;
    void (*lose)(FakeDesktopPortal&);
    bool portalStays;
};

const KeyLossCase kKeyLosses[] = {
    {"DesktopEndsTheSession", [](FakeDesktopPortal& p) { p.endSessions(); }, true},
    {"PortalLeavesTheBus", [](FakeDesktopPortal& p) { p.leaveBus(); }, false},
};

class PortalKeyLossTest : public PortalKeyTest,
                          public ::testing::WithParamInterface<KeyLossCase> {};

// The user is told once and the key is no longer shown as held; choosing one again asks for a
// new session.
TEST_P(PortalKeyLossTest, LostOnceThenBoundInANewSession) {
    ASSERT_EQ(key().hold(QStringLiteral("F6")), Result::Held);
    GetParam().lose(portal);
    ASSERT_TRUE(pumpUntil([&] { return losses > 0; }));
    EXPECT_EQ(key().heldKey(), QString());
    if (GetParam().portalStays) {
        portal.clearCalls();
        EXPECT_EQ(key().hold(QStringLiteral("F6")), Result::Held);
        EXPECT_EQ(portal.calls(), QStringList({"shortcuts session", "bind start-stop=F6"}));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(losses, 1);
}

INSTANTIATE_TEST_SUITE_P(Losses, PortalKeyLossTest, ::testing::ValuesIn(kKeyLosses),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
