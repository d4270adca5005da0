#include "EngineRun.h"

#include "ClickRecorder.h"
#include "engine/ClickRun.h"
#include "engine/RunWindow.h"
#include "platform/NativePlatform.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace tivrel::bench {

namespace {

// Message boxes that never block: each one is noted with the time it was asked for, and the
// "Program Stopped" message ends the run.
class NotingDialogs final : public Dialogs {
public:
    MessageAnswer messageBox(const QString& prompt, MessageButtons buttons, MessageIcon,
                             const QString& title) override {
        const std::int64_t now = monotonicNow();
        if (title == QStringLiteral("Program Stopped") && onStop)
            onStop(now, prompt);
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }

    std::function<void(std::int64_t, const QString&)> onStop;
};

std::int64_t cpuMicroseconds(const rusage& usage) {
    return std::int64_t(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

std::int64_t processCpuMicroseconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuMicroseconds(usage);
}

// Milliseconds this process's threads spent ready to run but waiting for a processor.
double runQueueWaitMs() {
    double total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        double waitNs = 0;
        if (schedstat >> runNs >> waitNs)
            total += waitNs / 1e6;
    }
    return total;
}

long long involuntarySwitches() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nivcsw;
}

std::string reasonOf(const QString& prompt) {
    if (prompt.startsWith(ClickRun::kAmountReached))
        return "amount";
    if (prompt.startsWith(ClickRun::kMouseMoved))
        return "mouse";
    if (prompt.startsWith(ClickRun::kEnterPressed))
        return "enter";
    return "other";
}

// Where the window is put: the top left corner, far from the target the clicks land on.
constexpr int kWindowX = 40;
constexpr int kWindowY = 40;
// Time for the window to be mapped and painted before the run starts.
constexpr int kSettleMs = 700;

} // namespace

int runEngine(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s %s DELAY AMOUNT RESULT_FILE LIMIT_MS\n", argv[0],
                     kEngineRunCommand);
        return 2;
    }
    const int delay = std::atoi(argv[2]);
    const int amount = std::atoi(argv[3]);
    const std::string resultPath = argv[4];
    const int limitMs = std::atoi(argv[5]);

    QString error;
    auto display = NativePlatform::connect(&error);
    if (!display) {
        std::fprintf(stderr, "tivrel-bench: %s\n", qPrintable(error));
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const auto native = NativePlatform::open(std::move(display));
    // The real backends, except for message boxes, which would wait for a user.
    NotingDialogs dialogs;
    Platform platform = native->platform().with({.dialogs = &dialogs});

    Form1 form(platform);
    form.setStartingValues();
    form.HScroll1[SpeedRow]->setValue(delay);
    if (amount > 0) {
        form.Check1->setChecked(true);
        form.Check1_Click();
        form.HScroll1[AmountRow]->setValue(amount);
    }
    form.move(kWindowX, kWindowY);
    form.show();

    EngineResult result;
    result.reason = "none";
    result.tickSource =
        dynamic_cast<DeadlineClickTimer*>(form.Timer1.get()) ? "click thread" : "other";
    std::int64_t cpuAtStart = 0;
    double waitAtStart = 0;
    long long switchesAtStart = 0;
    dialogs.onStop = [&](std::int64_t now, const QString& prompt) {
        result.stopNs = now;
        result.runCpuUs = processCpuMicroseconds() - cpuAtStart;
        result.runQueueWaitMs = runQueueWaitMs() - waitAtStart;
        result.involuntarySwitches = involuntarySwitches() - switchesAtStart;
        result.reason = reasonOf(prompt);
        result.counted = form.TimeLbl->text().toLongLong();
        QCoreApplication::exit(0);
    };
    QTimer::singleShot(kSettleMs, &form, [&] {
        waitAtStart = runQueueWaitMs();
        switchesAtStart = involuntarySwitches();
        cpuAtStart = processCpuMicroseconds();
        result.startNs = monotonicNow();
        form.Command1_Click();
    });
    QTimer::singleShot(kSettleMs + limitMs, &form, [&] {
        result.counted = form.TimeLbl->text().toLongLong();
        QCoreApplication::exit(3);
    });
    const int code = QApplication::exec();

    std::ofstream out(resultPath);
    out << "reason " << result.reason << "\n"
        << "start_ns " << result.startNs << "\n"
        << "stop_ns " << result.stopNs << "\n"
        << "run_cpu_us " << result.runCpuUs << "\n"
        << "counted " << result.counted << "\n"
        << "tick_source " << result.tickSource << "\n"
        << "run_queue_wait_ms " << result.runQueueWaitMs << "\n"
        << "involuntary_switches " << result.involuntarySwitches << "\n";
    out.close();
    return out ? code : 2;
}

std::optional<EngineResult> readEngineResult(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    EngineResult result;
    std::string line;
    int seen = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "reason")
            fields >> result.reason;
        else if (key == "start_ns")
            fields >> result.startNs;
        else if (key == "stop_ns")
            fields >> result.stopNs;
        else if (key == "run_cpu_us")
            fields >> result.runCpuUs;
        else if (key == "counted")
            fields >> result.counted;
        else if (key == "tick_source")
            fields >> result.tickSource;
        else if (key == "run_queue_wait_ms")
            fields >> result.runQueueWaitMs;
        else if (key == "involuntary_switches")
            fields >> result.involuntarySwitches;
        else
            continue;
        ++seen;
    }
    if (seen != 8)
        return std::nullopt;
    return result;
}

} // namespace tivrel::bench
