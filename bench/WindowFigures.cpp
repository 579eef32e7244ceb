// Trigger cycle and upload figures.
#include "WindowFigures.h"

#include "Clocks.h"
#include "OkPrompt.h"
#include "Simulator.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <memory>

namespace WindowFigures {

namespace {

// What a cycle and an upload wait on purpose, in seconds.
constexpr double kPause = 0.2;    // one pause of the configuration window
constexpr double kSettling = 0.2; // between a reading's first characters and its line end
constexpr int kUploadPauses = 7;
// The simulator answers every command after exactly this long.
constexpr int kReplyDelayMs = 10;

struct Cycle {
    double duration = -1.0; // Start clicked to the click returning
    double shown = -1.0;    // Pvalue changed, monotonic seconds
    double written = -1.0;  // the reading's LF written by the simulator, monotonic seconds
};

// The moment the simulator last finished writing a reply, after `since`.
double lastReplyWritten(const Simulator& sim, double since) {
    double written = -1.0;
    for (const Simulator::Event& event : sim.events())
        if (!event.received && event.bytes.endsWith('\n') && event.time >= since)
            written = event.time;
    return written;
}

QList<Cycle> triggerCycles(const Simulator& sim, const QString& speed, int runs) {
    Configure::use().Accuracy->setCurrentText(speed);
    frmMeasure& results = frmMeasure::use();
    double shown = -1.0;
    const QMetaObject::Connection watch =
        QObject::connect(results.Pvalue, &QLineEdit::textChanged, [&shown](const QString& text) {
            if (!text.isEmpty() && shown < 0)
                shown = Clocks::monotonic();
        });
    QList<Cycle> cycles;
    for (int i = 0; i < runs; ++i) {
        results.Pvalue->clear();
        shown = -1.0;
        const double started = Clocks::monotonic();
        results.Start->click();
        Cycle cycle;
        cycle.duration = Clocks::monotonic() - started;
        cycle.shown = shown;
        cycle.written = lastReplyWritten(sim, started);
        cycles << cycle;
    }
    QObject::disconnect(watch);
    return cycles;
}

// The number of lines the simulator has received, once the last command sent has made its
// way through the pseudo-terminal (the count stays the same for 100 ms).
qsizetype settledCount(const Simulator& sim) {
    qsizetype count = sim.received().size();
    for (int still = 0; still < 5;) {
        QThread::msleep(20);
        const qsizetype now = sim.received().size();
        still = now == count ? still + 1 : 0;
        count = now;
    }
    return count;
}

QJsonArray toJson(const QList<double>& values) {
    QJsonArray list;
    for (double value : values)
        list.append(value);
    return list;
}

// The overhead of the cycles at one speed: the time beyond the speed pauses (during which the
// meter's answer time runs too), the settling pause and the meter's answer time.
Figure cycleOverhead(const QString& speed, int pauses, const QList<Cycle>& cycles) {
    Figure figure{QString::fromLatin1(pauses ? "3s" : "3f"),
                  QStringLiteral("Trigger cycle overhead at \"%1\" (Start click)").arg(speed),
                  QStringLiteral("ms"), 10.0};
    const double mandated = std::max(pauses * kPause, kReplyDelayMs / 1000.0) + kSettling;
    QList<double> durations;
    int unanswered = 0;
    for (const Cycle& cycle : cycles) {
        durations << cycle.duration * 1000.0;
        if (cycle.shown < 0) {
            ++unanswered;
            continue;
        }
        figure.runs << (cycle.duration - mandated) * 1000.0;
    }
    if (figure.runs.isEmpty())
        figure.missing = QStringLiteral("a click on Trigger showed no reading: the measurement "
                                        "cycle is not in this build");
    figure.details.insert(QStringLiteral("mandated_ms"), mandated * 1000.0);
    figure.details.insert(QStringLiteral("cycle_ms"), toJson(durations));
    figure.details.insert(QStringLiteral("cycles_without_reading"), unanswered);
    return figure;
}

Figure displayLatency(const QList<Cycle>& cycles) {
    Figure figure{QStringLiteral("2b"),
                  QStringLiteral("Reading LF written -> Pvalue shows it (less 0.2 s settling)"),
                  QStringLiteral("ms"), 3.0};
    QList<double> raw;
    for (const Cycle& cycle : cycles) {
        if (cycle.shown < 0 || cycle.written < 0)
            continue;
        raw << (cycle.shown - cycle.written) * 1000.0;
        // The cycle settles for 0.2 s after the first characters arrive, which with a reply
        // written in one piece is the moment its LF was written.
        figure.runs << raw.last() - kSettling * 1000.0;
    }
    if (figure.runs.isEmpty())
        figure.missing = QStringLiteral("a click on Trigger showed no reading: the measurement "
                                        "cycle is not in this build");
    figure.details.insert(QStringLiteral("raw_ms"), toJson(raw));
    return figure;
}

Figure uploadOverhead(const Simulator& sim, int runs) {
    Figure figure{QStringLiteral("4"), QStringLiteral("Upload overhead beyond its 7 pauses"),
                  QStringLiteral("ms"), 30.0};
    QList<double> durations;
    QJsonArray commands;
    for (int i = 0; i < runs; ++i) {
        Configure& configure = Configure::use();
        configure.show();
        const qsizetype before = sim.received().size();
        const double started = Clocks::monotonic();
        configure.Update->click();
        const double duration = Clocks::monotonic() - started;
        const qsizetype sent = settledCount(sim) - before;
        commands.append(int(sent));
        durations << duration * 1000.0;
        if (sent > 0)
            figure.runs << (duration - kUploadPauses * kPause) * 1000.0;
    }
    if (figure.runs.isEmpty())
        figure.missing =
            QStringLiteral("Update Test sent nothing: the upload is not in this build");
    figure.details.insert(QStringLiteral("upload_ms"), toJson(durations));
    figure.details.insert(QStringLiteral("commands_received"), commands);
    return figure;
}

} // namespace

QList<Figure> measure(int triggerRuns, int uploadRuns) {
    Simulator sim({QStringLiteral("--delay"), QString::number(kReplyDelayMs)});
    QString why;
    std::unique_ptr<QtSerialPort> port;
    if (sim.start()) {
        PortMap::setOverride(1, sim.device());
        port = std::make_unique<QtSerialPort>();
        port->setCommPort(1);
        port->setSettings(QStringLiteral("9600"));
        if (port->setPortOpen(true))
            Module1::setPort(port.get());
        else
            why = port->errorText(), port.reset();
    } else {
        why = QStringLiteral("the simulator did not start");
    }
    if (!port) {
        QList<Figure> none{Figure{QStringLiteral("2b"), QStringLiteral("Reading LF -> Pvalue"),
                                  QStringLiteral("ms"), 3.0},
                           Figure{QStringLiteral("3"), QStringLiteral("Trigger cycle overhead"),
                                  QStringLiteral("ms"), 10.0},
                           Figure{QStringLiteral("4"), QStringLiteral("Upload overhead"),
                                  QStringLiteral("ms"), 30.0}};
        for (Figure& figure : none)
            figure.missing = why;
        return none;
    }
    OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    Wait::resetCallOff();

    frmMeasure::use().show();
    const QList<Cycle> fast = triggerCycles(sim, QStringLiteral("Fast"), triggerRuns);
    const QList<Cycle> slow = triggerCycles(sim, QStringLiteral("Slow"), triggerRuns);
    QList<Figure> figures{displayLatency(fast), cycleOverhead(QStringLiteral("Fast"), 0, fast),
                          cycleOverhead(QStringLiteral("Slow"), 4, slow),
                          uploadOverhead(sim, uploadRuns)};
    figures.first().details.insert(QStringLiteral("boxes_answered"), prompt.asked);

    if (Configure* configure = Configure::loaded())
        configure->hide();
    if (frmMeasure* results = frmMeasure::loaded())
        results->hide();
    Module1::setPort(nullptr);
    return figures;
}

} // namespace WindowFigures
