#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace tivrel::test {

// Polls done() until it holds or the timeout has passed; returns done()'s last answer. Any
// Qt event loop of the test process keeps running meanwhile.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                      std::chrono::milliseconds interval = std::chrono::milliseconds(50)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(interval);
    }
}

} // namespace tivrel::test
