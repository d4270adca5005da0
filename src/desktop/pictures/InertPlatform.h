#pragma once

#include "platform/Platform.h"

#include <QDir>

namespace tivrel::pictures {

// Services that do nothing: the picture generator builds a main window only to draw it.
class InertMouse final : public Mouse {
public:
    void press(MouseButton) override {}
    void release(MouseButton) override {}
    PointerPosition position() override { return {}; }
};

class InertDialogs final : public Dialogs {
public:
    MessageAnswer messageBox(const QString&, MessageButtons, MessageIcon, const QString&) override {
        return MessageAnswer::No;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
};

class InertTimeOfDay final : public TimeOfDay {
public:
    QString now() override { return {}; }
};

class InertStacking final : public WindowStacking {
public:
    void makeOnTop(QWidget&) override {}
    void makeNotOnTop(QWidget&) override {}
};

class InertTickSource final : public TickSource {
public:
    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void setEnabled(bool) override {}
    bool isEnabled() const override { return false; }

private:
    int m_interval = 0;
};

class InertSettings final : public SettingsStore {
public:
    QString read(const QString&, const QString&) override { return {}; }
    bool write(const QString&, const QString&, const QString&, QString*) override { return false; }
};

class InertFiles final : public FileSystem {
public:
    QString programFolder() override { return QDir::currentPath(); }
    std::optional<QStringList> readTextLines(const QString&, QString*) override { return {}; }
};

class InertLock final : public InstanceLock {
public:
    bool acquire() override { return true; }
};

class InertIcon final : public NotificationIcon {
public:
    bool isAvailable() override { return false; }
    void add(const QIcon&) override {}
    void setTip(const QString&) override {}
    void remove() override {}
};

class InertSystemMenu final : public SystemMenu {
public:
    QStringList entries(QWidget&) override { return {}; }
    void removeEntry(QWidget&, int) override {}
};

class InertStartupEntry final : public StartupEntry {
public:
    bool exists() override { return false; }
    bool place(QString*) override { return false; }
    bool remove(QString*) override { return false; }
    QStringList folders() override { return {}; }
};

class InertTermination final : public TerminationSignals {};

class InertBrowser final : public Browser {
public:
    void open(const QString&) override {}
};

struct InertPlatform {
    InertMouse mouse;
    InertDialogs dialogs;
    InertTimeOfDay timeOfDay;
    InertStacking stacking;
    InertSettings settings;
    InertFiles files;
    InertLock lock;
    InertIcon icon;
    InertSystemMenu systemMenu;
    InertTermination termination;
    InertStartupEntry startupEntry;
    InertBrowser browser;
    Platform platform{mouse,
                      dialogs,
                      timeOfDay,
                      stacking,
                      [] { return std::make_unique<InertTickSource>(); },
                      settings,
                      files,
                      lock,
                      icon,
                      systemMenu,
                      termination,
                      startupEntry,
                      browser};
};

} // namespace tivrel::pictures
