#pragma once

#include "engine/RunWindow.h"

namespace tivrel {

class Form1;

// The main window as the click run sees it.
class Form1RunView final : public RunWindow {
public:
    explicit Form1RunView(Form1& form) : m_form(form) {}

    RunChoices choices() const override;
    void setClickCountText(const QString& text) override;
    QString startCaption() const override;
    void setStartCaption(const QString& caption) override;
    TickSource& timer(RunTimer which) override;
    ClickTimer& clickTimer() override;
    void focusMainWindow() override;

private:
    Form1& m_form;
};

} // namespace tivrel
