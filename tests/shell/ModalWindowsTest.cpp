// The modal windows without a cancel button: the terms notice, the information window and
// the Yes/No question. ESC answers none of them, and a minimize (which openbox grants
// whatever the window asks) undoes itself.
#include "desktop/Form2.h"
#include "platform/qt/QtDialogs.h"
#include "shell/Form3.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tivrel::test {
namespace {

// Opens one kind of window modally and returns once it has closed; `finish` closes it the
// way its user would when the test is done with it.
struct ModalKind {
    const char* name;
    std::function<void()> open;
    std::function<void(QWidget&)> finish;
};

enum class Action { Escape, Minimize };

struct ModalCase {
    ModalKind kind;
    Action action;
};

void pressEscape(QWidget& window) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != &window)
        target = &window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

const ModalKind kNotice{"Notice",
                        [] {
                            Form3 notice;
                            notice.LoadText({QStringLiteral("Terms")});
                            notice.exec();
                            EXPECT_EQ(notice.outcome(), Form3::Accepted);
                        },
                        [](QWidget& w) { static_cast<Form3&>(w).Command2->click(); }};

const ModalKind kInformation{"Information",
                             [] {
                                 Form2 information;
                                 information.showModal();
                             },
                             [](QWidget& w) { static_cast<Form2&>(w).unload(); }};

const ModalKind kExitQuestion{
    "ExitQuestion",
    [] {
        QtDialogs dialogs;
        EXPECT_EQ(dialogs.messageBox(QStringLiteral("Are you sure you want to close the program ?"),
                                     MessageButtons::YesNo, MessageIcon::Information,
                                     QStringLiteral("Exiting ...")),
                  MessageAnswer::Yes);
    },
    [](QWidget& w) { static_cast<QMessageBox&>(w).button(QMessageBox::Yes)->click(); }};

class ModalWindowTest : public ::testing::TestWithParam<ModalCase> {};

TEST_P(ModalWindowTest, StaysOpenAndNormal) {
    const ModalCase& c = GetParam();
    bool acted = false;
    bool stillOpen = false;
    bool minimized = true;
    // Runs inside the window's own event loop, once it is up.
    QTimer::singleShot(0, [&] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        acted = true;
        if (c.action == Action::Escape)
            pressEscape(*window);
        else
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
        QCoreApplication::processEvents();
        stillOpen = QApplication::activeModalWidget() == window && window->isVisible();
        minimized = window->isMinimized();
        c.kind.finish(*window);
    });
    c.kind.open();
    ASSERT_TRUE(acted);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(minimized);
}

INSTANTIATE_TEST_SUITE_P(NoCancel, ModalWindowTest,
                         ::testing::Values(ModalCase{kNotice, Action::Escape},
                                           ModalCase{kNotice, Action::Minimize},
                                           ModalCase{kInformation, Action::Escape},
                                           ModalCase{kInformation, Action::Minimize},
                                           ModalCase{kExitQuestion, Action::Escape}),
                         [](const auto& info) {
                             return std::string(info.param.kind.name) +
                                    (info.param.action == Action::Escape ? "Escape" : "Minimize");
                         });

// A box with only OK still closes on ESC: OK is its cancel button.
TEST(MessageBoxEscape, ClosesABoxWithOnlyOk) {
    bool closed = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        pressEscape(*box);
        QCoreApplication::processEvents();
        closed = !box->isVisible();
        if (!closed)
            static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    QtDialogs dialogs;
    dialogs.messageBox(QStringLiteral("Program Stopped"), MessageButtons::Ok, MessageIcon::None,
                       QStringLiteral("Tivrel"));
    EXPECT_TRUE(closed);
}

} // namespace
} // namespace tivrel::test
