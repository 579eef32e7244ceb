// Start-up, memory and idle figures of the real program.
#include "ProgramFigures.h"

#include "Clocks.h"
#include "Desktop.h"
#include "Simulator.h"
#include "WindowWatch.h"

#include <QJsonArray>
#include <QProcess>
#include <QThread>

namespace ProgramFigures {

namespace {

const QString kConnectionTitle = QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0");
const QString kResultsTitle = QStringLiteral("Results");
const QString kFloorTitle = QStringLiteral("Bench floor window");
// The centre of Continue in the connection window's client area.
constexpr int kContinueX = 64;
constexpr int kContinueY = 88;
// After the window is mapped, the first paint and whatever follows it settle before the peak
// memory is read; the same for the program and the floor.
constexpr int kSettleMs = 500;

struct Start {
    double seconds = -1.0;
    double peakMiB = -1.0;
};

// Ended as an operator's desktop ends them at logout, not killed: a killed front panel leaves
// its serial port's lock file behind, and the next start would pay for clearing a stale lock
// that an operator's start does not meet.
void end(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (process.waitForFinished(3000))
        return;
    process.kill();
    process.waitForFinished(3000);
}

// Starts a program and times it until its window titled `title` is mapped.
Start timeStart(const Desktop& desktop, const QString& program, const QStringList& arguments,
                const QString& title, const QProcessEnvironment& environment) {
    WindowWatch watch(desktop.display());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Start start;
    const double launched = Clocks::monotonic();
    process.start(program, arguments);
    const WindowWatch::Shown shown = watch.waitForShown(title, 15000);
    if (shown.time > 0) {
        start.seconds = shown.time - launched;
        QThread::msleep(kSettleMs);
        start.peakMiB = Clocks::peakMemoryMiB(pid_t(process.processId()));
    }
    end(process);
    return start;
}

QJsonArray toJson(const QList<double>& values) {
    QJsonArray list;
    for (double value : values)
        list.append(value);
    return list;
}

QList<Figure> startUp(const Desktop& desktop, int runs) {
    Figure time{QStringLiteral("5t"),
                QStringLiteral("Start-up to the connection window shown, / floor"),
                QStringLiteral("x"), 1.3};
    // What the program's own start-up adds to the cost of its controls: the window's icon, the
    // port opened as its load step says, the handlers.
    Figure own{QStringLiteral("5c"),
               QStringLiteral("Start-up / a plain window with the same controls"),
               QStringLiteral("x"), 1.1};
    Figure memory{QStringLiteral("5m"),
                  QStringLiteral("Peak memory (VmHWM) with the window up, / floor"),
                  QStringLiteral("x"), 1.3};
    QList<double> floorMs, floorMiB, programMs, programMiB, controlsMs;
    const QString floorProgram = QStringLiteral(MX7500_BENCH_FLOOR);
    for (int i = 0; i < runs; ++i) {
        const Start floor =
            timeStart(desktop, floorProgram, {}, kFloorTitle, desktop.environment());
        const Start controls = timeStart(desktop, floorProgram, {QStringLiteral("--controls")},
                                         kFloorTitle, desktop.environment());
        Simulator sim;
        if (!sim.start())
            continue;
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("MX7500_COM1"), sim.device());
        environment.remove(QStringLiteral("MX7500_COM2"));
        const Start program =
            timeStart(desktop, QStringLiteral(MX7500_BIN), {}, kConnectionTitle, environment);
        if (floor.seconds < 0 || controls.seconds < 0 || program.seconds < 0)
            continue;
        floorMs << floor.seconds * 1000.0;
        controlsMs << controls.seconds * 1000.0;
        programMs << program.seconds * 1000.0;
        floorMiB << floor.peakMiB;
        programMiB << program.peakMiB;
        // Paired runs: each ratio compares a start with the floors' starts just before it.
        time.runs << program.seconds / floor.seconds;
        own.runs << program.seconds / controls.seconds;
        memory.runs << program.peakMiB / floor.peakMiB;
    }
    if (time.runs.isEmpty())
        time.missing = own.missing = memory.missing =
            QStringLiteral("no window was seen on the private display");
    time.details.insert(QStringLiteral("program_ms"), toJson(programMs));
    time.details.insert(QStringLiteral("floor_ms"), toJson(floorMs));
    time.details.insert(QStringLiteral("program_median_ms"), Clocks::median(programMs));
    time.details.insert(QStringLiteral("floor_median_ms"), Clocks::median(floorMs));
    own.details.insert(QStringLiteral("controls_ms"), toJson(controlsMs));
    own.details.insert(QStringLiteral("controls_median_ms"), Clocks::median(controlsMs));
    own.details.insert(QStringLiteral("controls_over_floor"),
                       Clocks::median(controlsMs) / Clocks::median(floorMs));
    memory.details.insert(QStringLiteral("program_mib"), toJson(programMiB));
    memory.details.insert(QStringLiteral("floor_mib"), toJson(floorMiB));
    memory.details.insert(QStringLiteral("program_median_mib"), Clocks::median(programMiB));
    memory.details.insert(QStringLiteral("floor_median_mib"), Clocks::median(floorMiB));
    return {time, own, memory};
}

Figure idle(const Desktop& desktop, int runs, double seconds) {
    Figure figure{QStringLiteral("6"),
                  QStringLiteral("CPU of the program, results window idle %1 s").arg(seconds),
                  QStringLiteral("% core"), 0.1};
    QJsonArray ticks, totals;
    QString why = QStringLiteral("the results window never came up");
    for (int i = 0; i < runs; ++i) {
        Simulator sim;
        if (!sim.start()) {
            why = QStringLiteral("the simulator did not start");
            continue;
        }
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("MX7500_COM1"), sim.device());
        environment.remove(QStringLiteral("MX7500_COM2"));
        WindowWatch watch(desktop.display());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(MX7500_BIN), {});
        const WindowWatch::Shown connection = watch.waitForShown(kConnectionTitle, 15000);
        if (connection.time < 0) {
            end(process);
            continue;
        }
        // Let the window take its first paint before clicking into it.
        QThread::msleep(200);
        desktop.click(QString::number(connection.window), QPoint(kContinueX, kContinueY));
        if (watch.waitForShown(kResultsTitle, 15000).time < 0) {
            end(process);
            continue;
        }
        QThread::msleep(1000);
        const pid_t pid = pid_t(process.processId());
        const double cpu0 = Clocks::cpuOf(pid);
        const double ticks0 = Clocks::cpuTicksOf(pid);
        const double wall0 = Clocks::monotonic();
        QThread::usleep(qulonglong(seconds * 1e6));
        const double cpu1 = Clocks::cpuOf(pid);
        const double ticks1 = Clocks::cpuTicksOf(pid);
        const double wall = Clocks::monotonic() - wall0;
        // What the program used in all, from its start: shows the reading works at all.
        totals.append(cpu1);
        end(process);
        if (cpu0 < 0 || cpu1 < 0)
            continue;
        figure.runs << (cpu1 - cpu0) / wall * 100.0;
        ticks.append((ticks1 - ticks0) / wall * 100.0);
    }
    if (figure.runs.isEmpty())
        figure.missing = why;
    figure.details.insert(QStringLiteral("percent_from_proc_stat_ticks"), ticks);
    figure.details.insert(QStringLiteral("cpu_since_start_s"), totals);
    return figure;
}

} // namespace

QList<Figure> measure(int startRuns, int idleRuns, double idleSeconds) {
    Desktop desktop;
    if (!desktop.start()) {
        QList<Figure> none{
            Figure{QStringLiteral("5t"), QStringLiteral("Start-up / floor"), QStringLiteral("x"),
                   1.3},
            Figure{QStringLiteral("5c"),
                   QStringLiteral("Start-up / a plain window with the same controls"),
                   QStringLiteral("x"), 1.1},
            Figure{QStringLiteral("5m"), QStringLiteral("Peak memory / floor"), QStringLiteral("x"),
                   1.3},
            Figure{QStringLiteral("6"), QStringLiteral("Idle CPU, results window"),
                   QStringLiteral("% core"), 0.1}};
        for (Figure& figure : none)
            figure.missing = desktop.why();
        return none;
    }
    QList<Figure> figures = startUp(desktop, startRuns);
    figures << idle(desktop, idleRuns, idleSeconds);
    return figures;
}

} // namespace ProgramFigures
