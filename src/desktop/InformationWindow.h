#pragma once

#include <functional>

class QWidget;

namespace tivrel {

class Browser;
class Form2;
class WindowStacking;

// "H&elp" and "&About": the information window as the help sheet or as the about panel,
// shown modally over the main window.
class InformationWindow {
public:
    // showModal shows the configured window and returns when it has closed.
    InformationWindow(QWidget& mainWindow, WindowStacking& stacking, Browser& browser,
                      std::function<void(Form2&)> showModal);

    void Helpmnu_Click();
    void Aboutmnu_Click();

private:
    void show(bool about);

    QWidget& m_main;
    WindowStacking& m_stacking;
    Browser& m_browser;
    std::function<void(Form2&)> m_showModal;
};

} // namespace tivrel
