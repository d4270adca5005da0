#pragma once

// A main window on the fakes, and the few ways the window tests drive it: keys, mouse
// clicks and activation, sent through the application as the system would deliver them. The
// controls are found by name (support/Controls.h), the timers through the fake platform that
// made them (`fake.timer1()`, ...).

#include "engine/ClickRun.h"
#include "fakes/FakePlatform.h"
#include "support/Controls.h"
#include "ui/Form1.h"
#include "widgets/ClickableLabel.h"

#include <QApplication>
#include <QColor>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <functional>

namespace tivrel::test {

// Makes `locale` the default for the life of the guard; typed numbers are read in it.
class ScopedDefaultLocale {
public:
    explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(m_saved); }
    ScopedDefaultLocale(const ScopedDefaultLocale&) = delete;
    ScopedDefaultLocale& operator=(const ScopedDefaultLocale&) = delete;

private:
    QLocale m_saved{};
};

// Window lengths are given in twips, 15 to a pixel.
inline QRect fromTwips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The blue the window writes its highlighted captions in.
inline const QColor kBlue(0, 0, 255);

inline QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

// Lets the event loop run until `done` holds or a generous deadline passes.
inline bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A key press and release sent to `target`; a press first goes through the shortcuts.
inline void typeKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// A left click in the middle of `target`.
inline void clickWidget(QWidget* target) {
    const QPointF local = QRectF(target->rect()).center();
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Builds the window as the program does at startup, with numbers read the C way.
template <class Base> class BasicForm1Test : public Base {
protected:
    BasicForm1Test() { form.setStartingValues(); }

    // Shows the window and waits until it is the active one, as it is for the user.
    bool showActive() {
        form.show();
        form.activateWindow();
        return waitUntil([this] { return QApplication::activeWindow() == &form; });
    }

    bool running() const {
        return control<QPushButton>(form, "Command1")->text() == ClickRun::kStopCaption;
    }

    ScopedDefaultLocale locale{QLocale::c()};
    FakePlatform fake;
    Form1 form{fake.platform};
};

using Form1Test = BasicForm1Test<::testing::Test>;
template <class Param> using Form1ParamTest = BasicForm1Test<::testing::TestWithParam<Param>>;

} // namespace tivrel::test
