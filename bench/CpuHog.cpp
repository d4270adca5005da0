#include "CpuHog.h"

#include <QProcessEnvironment>

namespace tivrel::bench {

int runHogLoop() {
    // volatile, so that the loop is work the compiler must keep.
    volatile unsigned long spins = 0;
    for (;;)
        spins = spins + 1;
}

bool CpuHog::start(const std::string& self, int count, const std::string& logPath) {
    const QStringList environment = QProcessEnvironment::systemEnvironment().toStringList();
    const QString log = QString::fromStdString(logPath);
    for (int i = 0; i < count; ++i) {
        auto loop = std::make_unique<test::ChildProcess>();
        QString error;
        if (!loop->start({QString::fromStdString(self), QString::fromLatin1(kHogCommand)},
                         environment, log, log, &error))
            return false;
        // They die with the benchmark, or with this object (ChildProcess kills a running one).
        m_loops.push_back(std::move(loop));
    }
    return true;
}

} // namespace tivrel::bench
