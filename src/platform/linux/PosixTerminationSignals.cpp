#include "platform/linux/PosixTerminationSignals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tivrel {

namespace {

int g_writeEnd = -1;

void onSignal(int) {
    const char byte = 1;
    // Nothing to do if the pipe is full: a request is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
}

} // namespace

PosixTerminationSignals::PosixTerminationSignals() {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("Tivrel: no pipe for termination signals; they end the program directly.");
        return;
    }
    g_writeEnd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char buffer[16];
        while (::read(m_pipe[0], buffer, sizeof buffer) > 0) {
        }
        deliverTerminate();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The session is ending: close as on Exit, without asking.
        QObject::connect(app, &QGuiApplication::commitDataRequest,
                         [this](QSessionManager&) { deliverTerminate(); });
    }
}

PosixTerminationSignals::~PosixTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    g_writeEnd = -1;
    m_notifier.reset();
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace tivrel
