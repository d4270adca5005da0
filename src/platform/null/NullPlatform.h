#pragma once

#include "platform/BlindPointerWatch.h"
#include "platform/Platform.h"

#include <QDir>

namespace tivrel {

// Services that do nothing and report nothing: for tools that build windows without using
// the system (the picture generator), and the base the test fakes replace piece by piece.
class NullMouse final : public Mouse {
public:
    void press(MouseButton) override {}
    void release(MouseButton) override {}
};

// Shows nothing; every question is answered "No", every input box and key box cancelled.
class NullDialogs final : public Dialogs {
public:
    MessageAnswer messageBox(const QString&, MessageButtons, MessageIcon, const QString&) override {
        return MessageAnswer::No;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> chooseKey(const QString&) override { return std::nullopt; }
};

class NullTimeOfDay final : public TimeOfDay {
public:
    QString now() override { return {}; }
};

class NullStacking final : public WindowStacking {
public:
    void makeOnTop(QWidget&) override {}
    void makeNotOnTop(QWidget&) override {}
};

// Keeps its interval and never ticks.
class NullTickSource final : public TickSource {
public:
    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void setEnabled(bool) override {}
    bool isEnabled() const override { return false; }

private:
    int m_interval = 0;
};

// Never ticks.
class NullClickTimer final : public ClickTimer {
public:
    void start(int, Run, std::function<void()>) override {}
    void stop() override {}
    bool isRunning() const override { return false; }
};

// Stores nothing: reads are empty, writes fail.
class NullSettings final : public SettingsStore {
public:
    QString read(const QString&, const QString&) override { return {}; }
    bool write(const QString&, const QString&, const QString&, QString*) override { return false; }
};

// The working folder as the program folder, and no file in it can be read.
class NullFiles final : public FileSystem {
public:
    QString programFolder() override { return QDir::currentPath(); }
    std::optional<QStringList> readTextLines(const QString&, QString*) override { return {}; }
};

class NullInstanceLock final : public InstanceLock {
public:
    bool acquire() override { return true; }
};

// A desktop without a notification area.
class NullNotificationIcon final : public NotificationIcon {
public:
    bool isAvailable() override { return false; }
    void add(const QIcon&) override {}
    void setTip(const QString&) override {}
    void remove() override {}
};

class NullWindowCommands final : public WindowCommands {
public:
    void removeCloseCommand(QWidget&) override {}
};

class NullTermination final : public TerminationSignals {};

// No entry, and none can be placed or removed.
class NullStartupEntry final : public StartupEntry {
public:
    bool exists() override { return false; }
    bool place(QString*) override { return false; }
    bool remove(QString*) override { return false; }
    QStringList folders() override { return {}; }
};

class NullBrowser final : public Browser {
public:
    void open(const QString&) override {}
};

// No copy of the program listens, and none can be reached.
class NullCopyChannel final : public CopyChannel {
public:
    bool listen(std::function<void(CopyRequest)>, QString* error) override {
        if (error)
            *error = QStringLiteral("Tivrel cannot take requests from another copy here.");
        return false;
    }
    bool send(CopyRequest, QString* error) override {
        if (error)
            *error = QStringLiteral("Tivrel is not running.");
        return false;
    }
};

struct NullPlatform {
    NullMouse mouse;
    BlindPointerWatch pointerWatch;
    NullDialogs dialogs;
    NullTimeOfDay timeOfDay;
    NullStacking stacking;
    NullSettings settings;
    NullFiles files;
    NullInstanceLock instanceLock;
    NullNotificationIcon trayIcon;
    NullWindowCommands windowCommands;
    NullTermination termination;
    NullStartupEntry startupEntry;
    NullBrowser browser;
    NoStartStopKey startStopKey;
    NullCopyChannel copyChannel;
    Platform platform{
        .mouse = mouse,
        .pointerWatch = pointerWatch,
        .dialogs = dialogs,
        .timeOfDay = timeOfDay,
        .stacking = stacking,
        .newTickSource = [] { return std::make_unique<NullTickSource>(); },
        .newClickTimer = [] { return std::make_unique<NullClickTimer>(); },
        .settings = settings,
        .files = files,
        .instanceLock = instanceLock,
        .trayIcon = trayIcon,
        .windowCommands = windowCommands,
        .termination = termination,
        .startupEntry = startupEntry,
        .browser = browser,
        .startStopKey = startStopKey,
        .copyChannel = copyChannel,
    };
};

} // namespace tivrel
