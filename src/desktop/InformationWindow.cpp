#include "desktop/InformationWindow.h"

#include "desktop/Form2.h"
#include "desktop/Pictures.h"
#include "platform/Browser.h"
#include "platform/WindowStacking.h"
#include "widgets/ClickableLabel.h"

namespace tivrel {

InformationWindow::InformationWindow(QWidget& mainWindow, WindowStacking& stacking,
                                     Browser& browser, std::function<void(Form2&)> showModal)
    : m_main(mainWindow), m_stacking(stacking), m_browser(browser),
      m_showModal(std::move(showModal)) {}

void InformationWindow::Helpmnu_Click() {
    show(false);
}

void InformationWindow::Aboutmnu_Click() {
    show(true);
}

void InformationWindow::show(bool about) {
    m_stacking.makeOnTop(m_main);
    // A new window each time, with its designed values.
    Form2 form(&m_main);
    form.Form_Load = [&] { m_stacking.makeOnTop(form); };
    const auto closeByClick = [&] { form.unload(); };
    form.Form_Click = closeByClick;
    form.Image1_Click = closeByClick;
    form.Image2_Click = [this] { m_browser.open(websiteAddress()); };
    form.Form_Unload = [&] {
        m_stacking.makeOnTop(form);
        m_stacking.makeNotOnTop(m_main);
    };
    form.Image1->setVisible(about);
    form.Image2->setVisible(about);
    if (about) {
        form.setWindowTitle(QStringLiteral("About ..."));
        form.setOuterSizeTwips(6780, 1845);
    } else {
        form.setWindowTitle(QStringLiteral("Help ..."));
        form.setOuterSizeTwips(7260, 10215);
    }
    m_showModal(form);
    // However the window was closed (a click, its close box, the window manager), the
    // unload took the main window out of the topmost band: it goes back on top.
    m_stacking.makeOnTop(m_main);
}

} // namespace tivrel
