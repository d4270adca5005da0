#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tivrel::test {

// Runs the UI thread's event loop until `done` or a generous deadline; returns done().
template <typename Done> bool pumpUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

} // namespace tivrel::test
