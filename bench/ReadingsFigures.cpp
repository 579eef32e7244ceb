// Readings window figures.
#include "ReadingsFigures.h"

#include "Clocks.h"
#include "OkPrompt.h"
#include "Simulator.h"
#include "configuration/Configure.h"
#include "link/LineActivity.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"
#include "measurement/ResultsEvents.h"
#include "measurement/frmMeasure.h"
#include "readings/AutoRepeat.h"
#include "readings/Readings.h"
#include "readings/ReadingsModel.h"
#include "readings/ReadingsWindow.h"
#include "readings/Stability.h"
#include "readings/TrendChart.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QTableView>
#include <QTimer>

#include <cmath>
#include <memory>
#include <random>

namespace ReadingsFigures {

namespace {

constexpr int kSeries = 100'000;
// How long after a cycle's end the auto-repeat's idle time is counted from.
constexpr int kSettleMs = 50;

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1.0;
}

ShownReading noisyReading(std::mt19937& random) {
    std::normal_distribution<float> noise(0.0125f, 0.0001f);
    ShownReading shown;
    shown.outcome.measured = noise(random);
    shown.outcome.temperature = 23.5f;
    shown.outcome.corrected = *shown.outcome.measured / 1.014f;
    shown.tempco = 0.004f;
    shown.bTC = true;
    return shown;
}

// Counts paint events of the widgets that show a new reading.
class PaintWatch : public QObject {
public:
    QObject* chartWidget = nullptr;
    int painted = 0;
    bool chart = false;
    bool table = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++painted;
            (watched == chartWidget ? chart : table) = true;
        }
        return false;
    }
};

// The stability judgement of one more reading and the indicator's text for it, on the
// judgement the window keeps of its 100 000 readings: blocks of a thousand readings timed
// whole, as one judgement is shorter than the clock's own cost.
Figure stabilityFigure(const ReadingSeries& series, int runs, std::mt19937& random) {
    Figure judged{QStringLiteral("7e"),
                  QStringLiteral("Stability judgement per reading (100 000 present)"),
                  QStringLiteral("ms"), 0.1};
    constexpr int kBlock = 1000;
    Stability::Tracker tracker = series.stability();
    std::normal_distribution<double> noise(0.0125, 0.0000025);
    std::vector<double> values(kBlock);
    qsizetype characters = 0;
    for (int run = 0; run < runs; ++run) {
        for (double& value : values)
            value = noise(random);
        const double start = Clocks::monotonic();
        for (double value : values) {
            tracker.add(value);
            characters += Stability::text(tracker.judgement(), tracker.criterion()).size();
        }
        judged.runs << (Clocks::monotonic() - start) * 1000.0 / kBlock;
    }
    judged.details.insert(QStringLiteral("readings_judged_before"), series.size());
    judged.details.insert(QStringLiteral("readings_per_timed_block"), kBlock);
    judged.details.insert(QStringLiteral("judged_over"), tracker.criterion().count);
    judged.details.insert(QStringLiteral("indicator_characters"), double(characters));
    return judged;
}

QList<Figure> seriesFigures(int runs) {
    Figure add{
        QStringLiteral("7a"),
        QStringLiteral("One reading to table, statistics, chart repainted (100 000 present)"),
        QStringLiteral("ms"), 2.0};
    Figure memory{QStringLiteral("7b"), QStringLiteral("Extra memory with 100 000 readings"),
                  QStringLiteral("MiB"), 30.0};
    std::mt19937 random(1);
    const double before = residentMiB();
    ReadingsWindow& window = Readings::open();
    for (int i = 0; i < kSeries; ++i)
        window.addReading(noisyReading(random));
    QApplication::processEvents();
    memory.runs << residentMiB() - before;
    memory.details.insert(QStringLiteral("resident_before_mib"), before);

    PaintWatch watch;
    watch.chartWidget = window.chart;
    window.chart->installEventFilter(&watch);
    window.table->viewport()->installEventFilter(&watch);
    QList<double> addOnly; // the reading taken in, before any painting
    for (int i = 0; i < runs; ++i) {
        QApplication::processEvents();
        watch.painted = 0;
        watch.chart = watch.table = false;
        const double arrived = Clocks::monotonic();
        ResultsEvents::instance().reportReading(noisyReading(random));
        const double added = Clocks::monotonic();
        // Until the chart and the table have painted and nothing more is waiting to paint
        // (the view lays its rows out again on a zero timer after an insertion).
        double repainted = -1.0;
        for (int pass = 0; pass < 10; ++pass) {
            const int before = watch.painted;
            QApplication::processEvents();
            if (watch.painted == before && watch.chart && watch.table)
                break;
            if (watch.painted != before)
                repainted = Clocks::monotonic();
        }
        addOnly << (added - arrived) * 1000.0;
        if (watch.chart && watch.table)
            add.runs << (repainted - arrived) * 1000.0;
    }
    if (add.runs.isEmpty())
        add.missing = QStringLiteral("the window never repainted after a reading");
    add.details.insert(QStringLiteral("readings_present"), window.model->rowCount());
    add.details.insert(QStringLiteral("taken_in_median_ms"), Clocks::median(addOnly));
    const Figure judged = stabilityFigure(window.model->series(), runs, random);
    window.close();
    return {add, memory, judged};
}

QList<Figure> repeatFigures(int seconds) {
    Figure cpu{QStringLiteral("7c"), QStringLiteral("CPU between auto-repeated cycles (1 s)"),
               QStringLiteral("% of a core"), 0.1};
    Figure timing{QStringLiteral("7d"),
                  QStringLiteral("Largest auto-repeat start time off schedule (1 s)"),
                  QStringLiteral("ms"), 20.0};
    Simulator sim({QStringLiteral("--delay"), QStringLiteral("10")});
    std::unique_ptr<QtSerialPort> port;
    if (sim.start()) {
        PortMap::setOverride(1, sim.device());
        port = std::make_unique<QtSerialPort>();
        port->setCommPort(1);
        port->setSettings(QStringLiteral("9600"));
        if (!port->setPortOpen(true))
            port.reset();
    }
    if (!port) {
        cpu.missing = timing.missing = QStringLiteral("no simulator on a pseudo-terminal");
        return {cpu, timing};
    }
    Module1::setPort(port.get());
    Configure::use().Accuracy->setCurrentText(QStringLiteral("Fast"));
    frmMeasure::use().show();
    ReadingsWindow& window = Readings::open();

    QList<double> starts, ends, cpuAtEnd, cpuAtStart;
    // The connections and the timers below end with this scope, before the lists they fill:
    // the window and the line outlive this figure, and a timer still pending after the last
    // cycle would otherwise fire in a later figure's event processing.
    QObject scope;
    QObject::connect(window.autoRepeat, &AutoRepeat::cycleStarting, &scope, [&](qint64) {
        starts << Clocks::monotonic();
        cpuAtStart << Clocks::processCpu();
    });
    QObject::connect(&LineActivity::instance(), &LineActivity::idle, &scope, [&] {
        // From once the reading is shown and painted: what comes after is waiting.
        QTimer::singleShot(kSettleMs, &scope, [&] {
            ends << Clocks::monotonic();
            cpuAtEnd << Clocks::processCpu();
        });
    });
    window.autoRepeat->start(1'000'000'000, seconds);
    QEventLoop loop;
    QObject::connect(window.autoRepeat, &AutoRepeat::runningChanged, &loop, &QEventLoop::quit);
    loop.exec();

    double idleSeconds = 0, idleCpu = 0, worst = 0;
    QJsonArray offsets;
    for (qsizetype i = 1; i < starts.size() && i - 1 < ends.size(); ++i) {
        idleSeconds += starts[i] - ends[i - 1];
        idleCpu += cpuAtStart[i] - cpuAtEnd[i - 1];
        const double off = (starts[i] - starts[i - 1] - 1.0) * 1000.0;
        offsets.append(off);
        worst = std::max(worst, std::fabs(off));
    }
    if (idleSeconds > 0) {
        cpu.runs << idleCpu / idleSeconds * 100.0;
        timing.runs << worst;
    } else {
        cpu.missing = timing.missing = QStringLiteral("no auto-repeated cycles ran");
    }
    cpu.details.insert(QStringLiteral("idle_seconds"), idleSeconds);
    cpu.details.insert(QStringLiteral("counted_from_ms_after_cycle_end"), kSettleMs);
    cpu.details.insert(QStringLiteral("idle_cpu_seconds"), idleCpu);
    timing.details.insert(QStringLiteral("cycles"), int(starts.size()));
    timing.details.insert(QStringLiteral("start_offsets_ms"), offsets);

    frmMeasure::loaded()->hide();
    if (Configure* configure = Configure::loaded())
        configure->hide();
    Module1::setPort(nullptr);
    return {cpu, timing};
}

} // namespace

QList<Figure> measure(int addRuns, int repeatSeconds) {
    OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    Wait::resetCallOff();
    Readings::install(false);
    QList<Figure> figures = seriesFigures(addRuns);
    figures << repeatFigures(repeatSeconds);
    return figures;
}

} // namespace ReadingsFigures
