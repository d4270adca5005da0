#pragma once

#include "shell/ShellWindow.h"

#include <QCloseEvent>
#include <QMenu>
#include <QWidget>

#include <map>

namespace tivrel::test {

// The main window as plain fields; the test plays the user's menu commands and close requests.
class FakeShellWindow final : public ShellWindow {
public:
    FakeShellWindow() { window.setObjectName(QStringLiteral("Main")); }

    QWidget& widget() override { return window; }
    bool isShown() const override { return shown; }
    void setShown(bool on) override { shown = on; }
    void close() override { closed = requestClose(); }
    bool isShowItemShown() const override { return showItem; }
    void setShowItemShown(bool on) override { showItem = on; }
    void setShowItemCaption(const QString& caption) override { showCaption = caption; }
    void setStartupVisibilityCaption(const QString& caption) override {
        visibilityCaption = caption;
    }
    void setStartupShortcutCaption(const QString& caption) override { shortcutCaption = caption; }
    void setStartStopKeyCaption(const QString& caption) override { keyCaption = caption; }
    bool isRunning() const override { return running; }
    void pressStartButton() override { ++startButtonPresses; }
    void setStartingValues() override { ++startingValues; }
    void resetClickCount() override { ++countResets; }
    void stopTimers() override { ++timerStops; }
    QMenu& fileMenu() override { return menu; }
    void setCloseHandler(std::function<void(QCloseEvent&)> handler) override {
        closeHandler = std::move(handler);
    }
    void onCommand(ShellCommand command, std::function<void()> handler) override {
        commands[command] = std::move(handler);
    }

    // A close request as the desktop sends it; true when the window accepts it.
    bool requestClose() {
        QCloseEvent event;
        if (closeHandler)
            closeHandler(event);
        return event.isAccepted();
    }
    // The user picks a command; false when nothing answers it.
    bool pick(ShellCommand command) {
        const auto handler = commands.find(command);
        if (handler == commands.end())
            return false;
        handler->second();
        return true;
    }

    QWidget window;
    QMenu menu;
    bool shown = false;
    bool showItem = true;
    bool closed = false;
    QString showCaption;
    QString visibilityCaption;
    QString shortcutCaption;
    QString keyCaption;
    bool running = false;
    int startButtonPresses = 0;
    int startingValues = 0;
    int countResets = 0;
    int timerStops = 0;
    std::function<void(QCloseEvent&)> closeHandler;
    std::map<ShellCommand, std::function<void()>> commands;
};

} // namespace tivrel::test
