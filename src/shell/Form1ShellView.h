#pragma once

#include "shell/ShellWindow.h"

namespace tivrel {

class Form1;

// The main window as the shell sees it.
class Form1ShellView final : public ShellWindow {
public:
    explicit Form1ShellView(Form1& form) : m_form(form) {}

    QWidget& widget() override;
    bool isShown() const override;
    void setShown(bool shown) override;
    void close() override;
    bool isShowItemShown() const override;
    void setShowItemShown(bool shown) override;
    void setShowItemCaption(const QString& caption) override;
    void setStartupVisibilityCaption(const QString& caption) override;
    void setStartupShortcutCaption(const QString& caption) override;
    void setStartStopKeyCaption(const QString& caption) override;
    bool isRunning() const override;
    void pressStartButton() override;
    void setStartingValues() override;
    void resetClickCount() override;
    void stopTimers() override;
    QMenu& fileMenu() override;
    void setCloseHandler(std::function<void(QCloseEvent&)> handler) override;
    void onCommand(ShellCommand command, std::function<void()> handler) override;

private:
    Form1& m_form;
};

} // namespace tivrel
