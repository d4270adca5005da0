// tivrel-bench: how fast, how regular and how cheap Tivrel's clicks are, next to xdotool's and
// a bare clicker thread's, measured on a virtual X server of its own. See bench/README.md.

#include "CpuHog.h"
#include "Measurements.h"
#include "X11TestSession.h"

#include <QTemporaryDir>

// After Qt's headers: Xlib's macros (Status, None) break them.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace tivrel::bench {

namespace {

void usage(const char* self) {
    std::printf("usage: %s [--runs N] [--clicks N] [--idle-seconds N] [--program PATH]\n"
                "          [--dump FOLDER] [--hog]\n"
                "\n"
                "Starts its own Xvfb, openbox and trayer, then measures the clicks of the tivrel\n"
                "program (started and driven as a user would), of xdotool and of a bare clicker\n"
                "thread at 5 ms and 10 ms, the stop after a pointer move, and the idle CPU time\n"
                "of the program. Each figure is the median of N runs (default 3). --hog keeps\n"
                "every processor busy at normal priority meanwhile. --dump writes every event\n"
                "recorded in each run to FOLDER as CSV.\n",
                self);
}

bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&](int* into, int minimum) {
            if (i + 1 >= argc)
                return false;
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < minimum || value > 1000000)
                return false;
            *into = int(value);
            return true;
        };
        bool ok = true;
        if (arg == "--runs")
            ok = number(&options->runs, 1);
        else if (arg == "--clicks")
            ok = number(&options->clicks, 2);
        else if (arg == "--idle-seconds")
            ok = number(&options->idleSeconds, 1);
        else if (arg == "--program" && i + 1 < argc)
            options->program = argv[++i];
        else if (arg == "--dump" && i + 1 < argc)
            options->dumpFolder = argv[++i];
        else if (arg == "--hog")
            options->hog = true;
        else
            ok = false;
        if (!ok) {
            usage(argv[0]);
            return false;
        }
    }
    return true;
}

int benchmarkMain(int argc, char** argv) {
    Options options;
    options.program = TIVREL_PROGRAM_PATH;
    if (!parseOptions(argc, argv, &options))
        return 2;
    if (::access(options.program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "tivrel-bench: no program at %s (build the tivrel target)\n",
                     options.program.c_str());
        return 2;
    }
    XInitThreads(); // the recorder reads its connection on a thread of its own
    catchInterrupts();
    // Logs, settings and results; removed at the end unless the session would not start.
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/tivrel-bench.XXXXXX"));
    if (!temp.isValid()) {
        std::fprintf(stderr, "tivrel-bench: cannot make a temporary folder\n");
        return 2;
    }
    try {
        test::X11TestSession session =
            test::X11TestSession::ownSession(temp.filePath(QStringLiteral("x")));
        QString error;
        if (!session.start(&error)) {
            temp.setAutoRemove(false);
            std::fprintf(stderr, "tivrel-bench: %s\ntivrel-bench: logs kept in %s\n",
                         qPrintable(error), qPrintable(temp.path()));
            return 1;
        }
        const QByteArray display = session.display();
        ClickRecorder recorder;
        std::string recorderError;
        if (!recorder.start(display.toStdString(), &recorderError)) {
            std::fprintf(stderr, "tivrel-bench: %s\n", recorderError.c_str());
            return 1;
        }
        test::RecorderWindow target(kTargetPlace, display.constData());
        if (!target.isOpen()) {
            std::fprintf(stderr, "tivrel-bench: %s\n", target.error());
            return 1;
        }
        const int processors = int(::sysconf(_SC_NPROCESSORS_ONLN));
        CpuHog hog;
        std::error_code noSelf;
        const std::string self = std::filesystem::read_symlink("/proc/self/exe", noSelf).string();
        const std::string hogLog = temp.filePath(QStringLiteral("hog.log")).toStdString();
        if (options.hog && !hog.start(self, processors, hogLog)) {
            std::fprintf(stderr, "tivrel-bench: cannot start the CPU hog\n");
            return 1;
        }
        std::printf("tivrel-bench: Xvfb %s with openbox and trayer, %d CPUs online, load average "
                    "%s\n",
                    display.constData(), processors, loadAverage().c_str());
        if (options.hog)
            std::printf("CPU hog: %zu busy loops at normal priority\n", hog.running());
        std::printf("program: %s\n", options.program.c_str());
        std::printf("recorder thread: %s priority\n",
                    recorder.realTime() ? "real-time (SCHED_FIFO 10)" : "normal");
        std::fflush(stdout);
        test::OutsideInput keyboard(display.constData());
        if (!keyboard.isOpen()) {
            std::fprintf(stderr, "tivrel-bench: cannot open the keyboard on %s\n",
                         display.constData());
            return 1;
        }
        Measurements measurements(options, temp.path().toStdString(), session, recorder, target,
                                  keyboard);
        const Results results = measurements.run();
        printReport({options.runs, options.clicks, options.idleSeconds, display.toStdString(),
                     options.hog ? int(hog.running()) : 0},
                    results);
        std::printf("\nload average at the end: %s; the target window received %zu presses\n",
                    loadAverage().c_str(), measurements.targetPresses());
        recorder.stop();
        return measurements.anyFailure() ? 1 : 0;
    } catch (const Interrupted&) {
        std::fprintf(stderr, "tivrel-bench: interrupted; stopping what it started\n");
        return 130;
    }
}

} // namespace

} // namespace tivrel::bench

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], tivrel::bench::kHogCommand) == 0)
        return tivrel::bench::runHogLoop();
    return tivrel::bench::benchmarkMain(argc, argv);
}
