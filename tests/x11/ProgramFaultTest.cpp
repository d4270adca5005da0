// The real program when its surroundings fail: a damaged settings file, a settings folder it
// may not write, a missing or odd terms file, the X server going away during a run, and the
// tray host dying and coming back.
#include "ProgramFixture.h"
#include "RecorderWindow.h"
#include "Waiting.h"
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>
#include <random>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

const QMap<QString, QString> kAccepted{
    {QStringLiteral("EULA/TrialRead"), QStringLiteral("ACCEPTED")}};

QByteArray randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(qsizetype(size), '\0');
    for (char& b : bytes)
        b = char(byte(generator));
    return bytes;
}

class ProgramFault : public ProgramTest {
protected:
    // Accepts the notice, waits for the icon and ends the program with SIGTERM.
    void acceptThenTerminate(ChildProcess& program) {
        ASSERT_TRUE(answerBox(program, kNoticeTitle, QStringLiteral("alt+a")))
            << qPrintable(lastFailure);
        ASSERT_TRUE(waitForTrayIcon(program)) << "no tray icon after accepting";
        EXPECT_EQ(home.storedSettings().value(QStringLiteral("EULA/TrialRead")),
                  QStringLiteral("ACCEPTED"));
        ASSERT_TRUE(program.sendSignal(SIGTERM));
        ASSERT_NO_FATAL_FAILURE(expectExit(program, 0));
    }
};

TEST_F(ProgramFault, GarbageSettingsFileCountsAsNoSettings) {
    QByteArray garbage = randomBytes(64 * 1024, 20250101);
    ASSERT_FALSE(garbage.contains("ACCEPTED"));
    ASSERT_TRUE(home.writeFile(home.settingsFile(), garbage));

    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForWindow(*program, isNotice)) << "no notice with a damaged settings file";
    ASSERT_NO_FATAL_FAILURE(acceptThenTerminate(*program));
    EXPECT_TRUE(home.dialogs().empty()) << home.dialogs().front();
}

// Root writes into read-only folders, so this runs the program as an ordinary user.
TEST_F(ProgramFault, ReadOnlySettingsFolderIsNamedInAMessageAndEndsTheProgram) {
    constexpr unsigned kNobody = 65534;
    const QString folder = home.path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    home.setSettingsFile(folder + QStringLiteral("/Tivrel.ini"));
    QString error;
    // The program and its terms go into the home, which that user can read: the build folder
    // may lie where only its owner can (a 0700 temporary folder, a 0750 home).
    ASSERT_TRUE(home.useProgramCopy(&error)) << qPrintable(error);
    ASSERT_TRUE(home.writeFile(home.termsFile(), "Terms of use\n"));
    ASSERT_TRUE(home.handTo(kNobody, kNobody, &error)) << qPrintable(error);
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QStringList asNobody{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                               QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                               QStringLiteral("--")};
    // That user can in fact not write there, and can reach the display.
    const ToolRun writable =
        desktop.run(asNobody.front(), asNobody.mid(1) + QStringList{QStringLiteral("test"),
                                                                    QStringLiteral("-w"), folder});
    ASSERT_TRUE(writable.finished);
    ASSERT_NE(writable.exitCode, 0) << "the folder is writable for the unprivileged user";

    ChildProcess* program = startProgram(asNobody);
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(answerBox(*program, kNoticeTitle, QStringLiteral("alt+a")))
        << qPrintable(lastFailure);
    ASSERT_TRUE(waitForDialogs(1))
        << "no message about the settings: " << qPrintable(program->describeEnd());
    const std::vector<DialogLine> shown = home.dialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front().title, QStringLiteral("Tivrel"));
    EXPECT_TRUE(shown.front().text.contains(home.settingsFileInUse())) << shown.front();
    ASSERT_TRUE(answerBox(*program, QStringLiteral("Tivrel"), QStringLiteral("Return")))
        << qPrintable(lastFailure);
    // No second notice: the program ends.
    ASSERT_NO_FATAL_FAILURE(expectNonZeroExit(*program));
    EXPECT_EQ(home.dialogs().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(home.settingsFileInUse()));
}

enum class Terms { Missing, Folder, Content };

struct TermsCase {
    const char* name;
    Terms terms;
    QByteArray (*content)();
};

QByteArray noBytes() {
    return {};
}
QByteArray everyByteValue() {
    QByteArray bytes;
    for (int round = 0; round < 256; ++round) {
        for (int b = 0; b < 256; ++b)
            bytes += char(b);
    }
    return bytes;
}
QByteArray oneMegabyteOfLines() {
    const QByteArray line = "These terms go on and on, line after line, for a whole megabyte.\r\n";
    QByteArray text;
    while (text.size() < 1024 * 1024)
        text += line;
    return text.left(1024 * 1024);
}
QByteArray oneMegabyteLine() {
    return QByteArray(1024 * 1024, 'x');
}

const TermsCase kTermsCases[] = {
    {"Missing", Terms::Missing, nullptr},
    {"Folder", Terms::Folder, nullptr},
    {"Empty", Terms::Content, noBytes},
    {"Binary", Terms::Content, everyByteValue},
    {"OneMegabyteOfLines", Terms::Content, oneMegabyteOfLines},
    {"OneMegabyteLine", Terms::Content, oneMegabyteLine},
};

class ProgramTermsFile : public ProgramFault, public ::testing::WithParamInterface<TermsCase> {};

// A terms file the program cannot read is named in a message and ends it; any file it can
// read shows as plain text and the notice works as always.
TEST_P(ProgramTermsFile, IsNamedInAMessageOrShownAsText) {
    const TermsCase& c = GetParam();
    QString error;
    ASSERT_TRUE(home.useProgramCopy(&error)) << qPrintable(error);
    if (c.terms == Terms::Folder) {
        ASSERT_TRUE(QDir().mkpath(home.termsFile()));
    } else if (c.terms == Terms::Content) {
        ASSERT_TRUE(home.writeFile(home.termsFile(), c.content()));
    }

    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    if (c.terms == Terms::Content) {
        ASSERT_TRUE(waitForWindow(*program, isNotice)) << qPrintable(program->describeEnd());
        ASSERT_NO_FATAL_FAILURE(acceptThenTerminate(*program));
        EXPECT_TRUE(home.dialogs().empty()) << home.dialogs().front();
        return;
    }
    ASSERT_TRUE(waitForDialogs(1))
        << "nothing said about the terms file: " << qPrintable(program->describeEnd());
    const std::vector<DialogLine> shown = home.dialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front().title, QStringLiteral("Tivrel"));
    EXPECT_TRUE(shown.front().text.contains(home.termsFile())) << shown.front();
    EXPECT_TRUE(windowsOf(*program, isNotice).empty());
    ASSERT_TRUE(answerBox(*program, QStringLiteral("Tivrel"), QStringLiteral("Return")))
        << qPrintable(lastFailure);
    ASSERT_NO_FATAL_FAILURE(expectNonZeroExit(*program));
    EXPECT_TRUE(home.storedSettings().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramTermsFile, ::testing::ValuesIn(kTermsCases),
                         [](const ::testing::TestParamInfo<TermsCase>& info) {
                             return std::string(info.param.name);
                         });

struct FolderNameCase {
    const char* name;
    const char* folder;
    const char* inExec; // the folder as the entry's Exec value writes it
};

class ProgramFolderName : public ProgramFault,
                          public ::testing::WithParamInterface<FolderNameCase> {};

// A program folder whose name holds a backslash or a line break: the terms beside the
// program are found, and the start-up entry starts that program and is one a desktop reads.
TEST_P(ProgramFolderName, FindsItsTermsAndPlacesAValidEntry) {
    const FolderNameCase& c = GetParam();
    QString error;
    ASSERT_TRUE(home.useProgramCopy(&error, QString::fromUtf8(c.folder))) << qPrintable(error);
    ASSERT_TRUE(home.writeFile(home.termsFile(), "Terms of use\n"));
    const QString entry = home.path(QStringLiteral("xdg/autostart/Tivrel.desktop"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(entry).path()));

    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForWindow(*program, isNotice))
        << "no notice: " << home.dialogs().size() << " " << qPrintable(program->describeEnd());
    ASSERT_TRUE(answerBox(*program, kNoticeTitle, QStringLiteral("alt+a")))
        << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program)) << "no tray icon after accepting";

    // The window stays hidden: the menu reads "Show", then "Place shortcut in startup".
    ASSERT_TRUE(openTrayMenu(*program, 1)) << qPrintable(lastFailure);
    ASSERT_TRUE(
        desktop.keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")}))
        << qPrintable(desktop.lastFailure());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(entry).isFile(); }, kAppearTimeout))
        << "no entry written";
    EXPECT_TRUE(home.dialogs().empty()) << home.dialogs().front();

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString exec =
        QStringLiteral("\nExec=\"%1/%2/tivrel\"\n")
            .arg(home.path(QStringLiteral("program")), QString::fromUtf8(c.inExec));
    EXPECT_TRUE(text.contains(exec)) << qPrintable(text);
    const ToolRun validated = desktop.run(QStringLiteral("desktop-file-validate"), {entry});
    EXPECT_TRUE(validated.succeeded()) << qPrintable(desktop.lastFailure());
    EXPECT_TRUE(validated.output.trimmed().isEmpty()) << validated.output.constData();

    ASSERT_TRUE(program->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramFolderName,
    ::testing::Values(FolderNameCase{"Backslash", "back\\slash", R"(back\\\\slash)"},
                      FolderNameCase{"LineBreak", "line\nbreak", R"(line\nbreak)"}),
    [](const ::testing::TestParamInfo<FolderNameCase>& info) {
        return std::string(info.param.name);
    });

// On a server of this test's own, which it kills while the program clicks.
TEST_F(ProgramFault, XServerGoneDuringARunEndsTheProgramWithAMessage) {
    XSession x;
    QString error;
    ASSERT_TRUE(x.startServer(&error)) << qPrintable(error);
    X11TestSession privateDesktop(x.display());
    ASSERT_TRUE(home.writeAcceptedSettings(true));
    ChildProcess* program = startProgram(home, privateDesktop);
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    // Without a tray the window shows, whatever the setting.
    const std::optional<WindowInfo> main =
        waitForWindow(*program, [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; });
    ASSERT_TRUE(main) << "no window on the private display";
    {
        RecorderWindow target(QRect(40, 780, 240, 180), x.display().constData());
        ASSERT_TRUE(target.isOpen()) << target.error();
        ASSERT_TRUE(privateDesktop.movePointer(QPoint(130, 850)));
        ASSERT_TRUE(privateDesktop.focus(main->id)) << qPrintable(privateDesktop.lastFailure());
        ASSERT_TRUE(privateDesktop.keys({QStringLiteral("Return")}));
        ASSERT_TRUE(target.waitUntil(
            [](const std::vector<ButtonRecord>& events) {
                return std::count_if(events.begin(), events.end(),
                                     [](const ButtonRecord& e) { return e.press; }) >= 3;
            },
            30s))
            << "ENTER started no run";
    } // the recorder's connection goes before the server does

    ASSERT_TRUE(x.server().sendSignal(SIGKILL));
    ASSERT_TRUE(x.server().waitForEnd(30s));
    ASSERT_NO_FATAL_FAILURE(expectNonZeroExit(*program));
    // Whichever of the program's X connections notices first says so: Qt's own, or (through
    // Xlib) the connection the clicks go through.
    const QString errors = standardError(*program);
    static const QRegularExpression lostConnection(
        QStringLiteral("X11 connection broke|X connection to \\S+ broken"));
    EXPECT_TRUE(errors.contains(lostConnection)) << "standard error: " << qPrintable(errors);
}

// A display that was there and is gone: the program says which, before the toolkit would
// abort on it.
TEST_F(ProgramFault, UnreachableDisplayAtStartIsNamedOnStandardError) {
    QByteArray display;
    {
        XSession x;
        QString error;
        ASSERT_TRUE(x.startServer(&error)) << qPrintable(error);
        display = x.display();
        ASSERT_TRUE(x.server().sendSignal(SIGTERM));
        ASSERT_TRUE(x.server().waitForEnd(30s));
    }
    ASSERT_FALSE(displayAccepts(display)) << "someone else took " << display.constData();
    ChildProcess* program = startProgram(home, X11TestSession(display));
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_NO_FATAL_FAILURE(expectNonZeroExit(*program));
    const QString errors = standardError(*program);
    EXPECT_TRUE(errors.contains(QStringLiteral("Tivrel cannot connect to the X display \"%1\"")
                                    .arg(QString::fromLatin1(display))))
        << "standard error: " << qPrintable(errors);
    EXPECT_TRUE(home.storedSettings().isEmpty());
}

TEST_F(ProgramFault, TrayHostRestartedGetsTheIconBack) {
    XSession x;
    QString error;
    ASSERT_TRUE(x.startServer(&error)) << qPrintable(error);
    ASSERT_TRUE(x.startTrayHost(&error)) << qPrintable(error);
    X11TestSession privateDesktop(x.display());
    ASSERT_TRUE(home.writeAcceptedSettings(false));
    ChildProcess* program = startProgram(home, privateDesktop);
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    const std::optional<WindowInfo> icon = waitForTrayIcon(*program);
    ASSERT_TRUE(icon) << "no icon in the private tray";
    EXPECT_EQ(icon->trayHostPid, x.trayHost()->pid()) << *icon;

    ASSERT_TRUE(x.killTrayHost(&error)) << qPrintable(error);
    EXPECT_TRUE(waitUntil([&] { return windowsOf(*program, isTrayIcon).empty(); }, kAppearTimeout))
        << "an icon without a tray host";
    ASSERT_TRUE(x.startTrayHost(&error)) << qPrintable(error);
    const qint64 newHost = x.trayHost()->pid();
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::vector<WindowInfo> icons = windowsOf(*program, isTrayIcon);
            return icons.size() == 1 && icons.front().trayHostPid == newHost;
        },
        kAppearTimeout))
        << "the icon did not come back into the new tray host";
    EXPECT_FALSE(program->hasEnded()) << qPrintable(program->describeEnd());
    ASSERT_TRUE(program->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));
    EXPECT_TRUE(home.dialogs().empty()) << home.dialogs().front();
}

} // namespace
} // namespace tivrel::test
