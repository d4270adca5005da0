// Qt's own X connection and the clicks the program makes: once quieted, a click no longer
// wakes Qt with keyboard-state news, while modifier changes still reach it.
#include "RecorderWindow.h"

#include "platform/x11/QuietButtonState.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

constexpr QRect kRecorderPlace(700, 420, 200, 150);
constexpr int kStateNotify = 2; // the keyboard extension's state event, in its second byte

// Counts the keyboard-state events that reach Qt's connection.
class StateEventCounter final : public QAbstractNativeEventFilter {
public:
    explicit StateEventCounter(int firstEvent) : m_firstEvent(firstEvent) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == m_firstEvent && event->pad0 == kStateNotify)
            ++count;
        return false;
    }
    int count = 0;

private:
    int m_firstEvent;
};

// Lets Qt read everything the server sent it before now.
void drainQtConnection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    QElapsedTimer spent;
    spent.start();
    while (spent.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(QuietButtonState, ClicksStopWakingQtButModifiersStillReachIt) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    xcb_connection_t* connection = x11->connection();
    const char name[] = "XKEYBOARD";
    xcb_query_extension_reply_t* xkb = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr);
    ASSERT_NE(xkb, nullptr);
    const bool hasXkb = xkb->present;
    const int firstEvent = xkb->first_event;
    std::free(xkb);
    ASSERT_TRUE(hasXkb);

    RecorderWindow target(kRecorderPlace);
    OutsideInput input;
    ASSERT_TRUE(target.isOpen()) << target.error();
    ASSERT_TRUE(input.isOpen());
    input.releaseButtons();
    input.movePointer(kRecorderPlace.center());
    StateEventCounter counter(firstEvent);
    QCoreApplication::instance()->installNativeEventFilter(&counter);
    drainQtConnection();

    counter.count = 0;
    for (int i = 0; i < 3; ++i)
        input.click(1);
    drainQtConnection();
    EXPECT_GE(counter.count, 6) << "as selected by Qt, every press and release is reported";

    quietButtonStateNotifications();
    drainQtConnection();
    counter.count = 0;
    target.forget();
    for (int i = 0; i < 3; ++i)
        input.click(1);
    ASSERT_TRUE(target.waitForEvents(6, 5s)) << "the clicks did not land";
    drainQtConnection();
    EXPECT_EQ(counter.count, 0);

    ASSERT_TRUE(input.tapKey("Shift_L"));
    drainQtConnection();
    EXPECT_GE(counter.count, 2) << "a modifier press and release must still be reported";
    QCoreApplication::instance()->removeNativeEventFilter(&counter);
}

} // namespace
} // namespace tivrel::test
