#include "ProgramDriver.h"

#include "TestSession.h"
#include "Waiting.h"
#include "widgets/Twips.h"

#include <QFile>

#include <csignal>

namespace tivrel::test {

using namespace std::chrono_literals;

namespace {

constexpr auto kPoll = 100ms;

const QString kValueBoxTitle = QStringLiteral("Enter a Value");

// The controls the driver clicks, where the main window lays them out in twips: inside the
// speed frame (Frame2), which lies at 120, 120 of the area below the menu bar, 4200 x 4995
// twips. The centre of the value labels SpeedLbl and AmountLbl; on the "Amount" box Check1,
// its caption rather than the edge of its tick box.
constexpr QPoint kSpeedFrame{120, 120};
constexpr int kClientHeight = 4995;
constexpr QPoint kSpeedValue{360 + 307, 840 + 127};
constexpr QPoint kAmountTick{480 + 300, 2520 + 127};
constexpr QPoint kAmountValue{360 + 307, 2880 + 127};

QString fileTail(const QString& path, qsizetype size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll().right(size));
}

} // namespace

bool isMainWindow(const WindowInfo& window) {
    return window.kind == WindowKind::Normal && window.name == QStringLiteral("Tivrel");
}

bool isDialogTitled(const WindowInfo& window, const QString& title) {
    return window.viewable && window.kind == WindowKind::Dialog && window.name == title;
}

bool isTrayIcon(const WindowInfo& window) {
    return window.viewable && window.kind == WindowKind::TrayIcon && !window.geometry.isEmpty();
}

bool isPopupMenu(const WindowInfo& window) {
    return window.viewable && window.kind == WindowKind::Menu;
}

ProgramDriver::ProgramDriver(TestSession& session, ProgramHome& home)
    : m_session(session), m_home(home) {}

ProgramDriver::~ProgramDriver() {
    m_process.kill();
}

bool ProgramDriver::start(QString* error, const QStringList& wrapper) {
    const auto [outputFile, errorFile] = m_home.nextOutputFiles();
    m_errorFile = errorFile;
    return m_process.start(wrapper + QStringList{m_home.program()}, m_home.environment(m_session),
                           outputFile, errorFile, error);
}

void ProgramDriver::end(std::chrono::milliseconds timeout) {
    if (!m_process.started() || m_process.hasEnded())
        return;
    m_process.sendSignal(SIGTERM);
    if (!m_process.waitForEnd(timeout))
        m_process.kill();
}

int ProgramDriver::runSecondCopy(const QString& argument, QString* errors) {
    QStringList environment;
    for (const QString& variable : m_home.environment(m_session)) {
        if (!variable.startsWith(QStringLiteral("DISPLAY=")) &&
            !variable.startsWith(QStringLiteral("WAYLAND_DISPLAY=")))
            environment << variable;
    }
    const auto [outputFile, errorFile] = m_home.nextOutputFiles();
    ChildProcess copy;
    QString error;
    if (!copy.start({m_home.program(), argument}, environment, outputFile, errorFile, &error)) {
        *errors = error;
        return -1;
    }
    const bool ended = copy.waitForEnd(std::chrono::seconds(10));
    *errors = fileTail(errorFile, 4096);
    return ended && copy.exitedNormally() ? copy.exitCode() : -1;
}

QString ProgramDriver::standardError(qsizetype size) const {
    return fileTail(m_errorFile, size);
}

std::vector<WindowInfo> ProgramDriver::windows(const WindowTest& wanted) const {
    std::vector<WindowInfo> found;
    if (!m_process.started())
        return found;
    for (const WindowInfo& window : m_session.windowsOf(m_process.pid())) {
        if (wanted(window))
            found.push_back(window);
    }
    return found;
}

std::optional<WindowInfo> ProgramDriver::waitForWindow(const WindowTest& wanted,
                                                       std::chrono::milliseconds timeout) {
    std::optional<WindowInfo> found;
    waitUntil(
        [&] {
            const std::vector<WindowInfo> matching = windows(wanted);
            if (!matching.empty())
                found = matching.front();
            // A program that has ended shows nothing any more.
            return found.has_value() || m_process.hasEnded();
        },
        timeout, kPoll);
    return found;
}

bool ProgramDriver::waitForNoWindow(const WindowTest& unwanted, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return m_process.hasEnded() || windows(unwanted).empty(); }, timeout,
                     kPoll);
}

bool ProgramDriver::waitForDialogs(std::size_t count, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return m_home.dialogs().size() >= count; }, timeout, kPoll);
}

bool ProgramDriver::answerBox(const QString& title, const QString& key, QString* failure) {
    const auto isBox = [&title](const WindowInfo& w) { return isDialogTitled(w, title); };
    // A key typed before the box had the focus goes elsewhere: try again while it stays.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<WindowInfo> box =
            waitForWindow(isBox, attempt == 0 ? std::chrono::milliseconds(kAppearTimeout) : 5s);
        if (!box) {
            *failure = QStringLiteral("no box \"%1\" showed (%2)")
                           .arg(title, m_process.hasEnded() ? m_process.describeEnd()
                                                            : QStringLiteral("still running"));
            return false;
        }
        if (!m_session.activate(box->id) || !m_session.keys({key})) {
            *failure = m_session.lastFailure();
            continue;
        }
        const unsigned long id = box->id;
        if (waitForNoWindow([id](const WindowInfo& w) { return w.id == id && w.viewable; }, 15s))
            return true;
        *failure = QStringLiteral("the box \"%1\" stayed after %2").arg(title, key);
    }
    return false;
}

std::optional<WindowInfo> ProgramDriver::openTrayMenu(int button, QString* failure) {
    const std::optional<WindowInfo> icon = waitForWindow(isTrayIcon);
    if (!icon) {
        *failure = QStringLiteral("no tray icon");
        return std::nullopt;
    }
    if (!m_session.click(icon->geometry.center(), button)) {
        *failure = m_session.lastFailure();
        return std::nullopt;
    }
    std::optional<WindowInfo> menu = waitForWindow(isPopupMenu);
    if (!menu) {
        *failure = QStringLiteral("no menu opened");
        return std::nullopt;
    }
    if (!m_session.movePointer(kRestingPointer)) {
        *failure = m_session.lastFailure();
        return std::nullopt;
    }
    return menu;
}

std::optional<QRect> ProgramDriver::placeMainWindow(QString* error) {
    const auto shownMain = [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; };
    const std::optional<WindowInfo> main = waitForWindow(shownMain);
    if (!main) {
        *error = QStringLiteral("no main window (%1)").arg(m_process.describeEnd());
        return std::nullopt;
    }
    m_mainWindowId = main->id;
    m_mainWindow = main->geometry;
    int agreeing = 0;
    waitUntil(
        [&] {
            const std::vector<WindowInfo> now = windows(shownMain);
            if (!now.empty() && now.front().geometry == m_mainWindow) {
                ++agreeing;
            } else {
                agreeing = 0;
                m_mainWindow = now.empty() ? QRect() : now.front().geometry;
            }
            return agreeing >= 3;
        },
        10s, kPoll);
    if (m_mainWindow.isEmpty()) {
        *error = QStringLiteral("the main window went away");
        return std::nullopt;
    }
    return m_mainWindow;
}

QPoint ProgramDriver::centreOf(Control control) const {
    const QPoint inFrame = control == Control::SpeedValue   ? kSpeedValue
                           : control == Control::AmountTick ? kAmountTick
                                                            : kAmountValue;
    // The area below the menu bar ends where the window ends.
    const int clientTop = m_mainWindow.bottom() + 1 - pixels(kClientHeight);
    return {m_mainWindow.x() + pixels(kSpeedFrame.x()) + pixels(inFrame.x()),
            clientTop + pixels(kSpeedFrame.y()) + pixels(inFrame.y())};
}

bool ProgramDriver::openValueBox(Control label) {
    const std::size_t before = m_home.dialogs().size();
    m_session.click(centreOf(label), 1);
    if (!waitForDialogs(before + 1, 3s))
        return false;
    m_dialogsBeforeBox = before + 1;
    return true;
}

bool ProgramDriver::typeValue(int value, QString* error) {
    const auto isValueBox = [](const WindowInfo& w) { return isDialogTitled(w, kValueBoxTitle); };
    QStringList keys = QString::number(value).split(QString(), Qt::SkipEmptyParts);
    keys << QStringLiteral("Return");
    // A key typed before the box has the focus goes elsewhere: try again while it stays.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<WindowInfo> box = waitForWindow(isValueBox, 10s);
        if (!box)
            break;
        m_session.activate(box->id);
        m_session.keys(keys);
        if (waitForNoWindow(isValueBox, 3s))
            return m_home.dialogs().size() == m_dialogsBeforeBox; // no "incorrect value"
    }
    *error = QStringLiteral("the value box did not take %1").arg(value);
    return false;
}

bool ProgramDriver::setSpeed(int milliseconds, QString* error) {
    if (openValueBox(Control::SpeedValue) || openValueBox(Control::SpeedValue))
        return typeValue(milliseconds, error);
    *error = QStringLiteral("a click on the speed opened no box");
    return false;
}

bool ProgramDriver::setAmount(int clicks, QString* error) {
    if (clicks <= 0)
        return true;
    // The label takes clicks once "Amount" is ticked: while a click on it opens no box, the
    // tick did not take.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_session.click(centreOf(Control::AmountTick), 1);
        if (openValueBox(Control::AmountValue))
            return typeValue(clicks, error);
    }
    *error = QStringLiteral("\"Amount\" would not tick");
    return false;
}

bool ProgramDriver::pressEnter(QPoint target, QString* error,
                               const std::function<void()>& beforeKey) {
    if (!m_session.activate(m_mainWindowId)) {
        *error = QStringLiteral("cannot activate the main window: ") + m_session.lastFailure();
        return false;
    }
    if (!m_session.movePointer(target)) {
        *error = m_session.lastFailure();
        return false;
    }
    if (beforeKey)
        beforeKey();
    if (!m_session.keys({QStringLiteral("Return")})) {
        *error = QStringLiteral("cannot press ENTER: ") + m_session.lastFailure();
        return false;
    }
    return true;
}

} // namespace tivrel::test
