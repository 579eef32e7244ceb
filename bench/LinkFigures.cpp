// Reply-wait figures over a real pseudo-terminal.
#include "LinkFigures.h"

#include "Clocks.h"
#include "OkPrompt.h"
#include "Simulator.h"
#include "link/Commands.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <memory>

namespace LinkFigures {

namespace {

constexpr double kWaitSeconds = 10.0;

// The real port on the simulator's device, installed as the one every routine talks through.
std::unique_ptr<QtSerialPort> openPort(const Simulator& sim, QString& why) {
    PortMap::setOverride(1, sim.device());
    auto port = std::make_unique<QtSerialPort>();
    port->setCommPort(1);
    port->setSettings(QStringLiteral("9600"));
    if (!port->setPortOpen(true)) {
        why = port->errorText();
        return nullptr;
    }
    Module1::setPort(port.get());
    return port;
}

// What a front panel that polls does: look at the port and run the events, without ever
// sleeping, until the time is up.
void busyPoll(SerialPort& port, double seconds) {
    const double end = Clocks::monotonic() + seconds;
    QByteArray taken;
    while (Clocks::monotonic() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        taken += port.input();
        if (taken.contains('\n'))
            break;
    }
}

} // namespace

QList<Figure> waitCpu(int runs) {
    Figure cpu{QStringLiteral("1"), QStringLiteral("CPU of ReadReply, 10 s wait on a silent meter"),
               QStringLiteral("CPU-s"), 0.005};
    Figure ratio{QStringLiteral("1r"), QStringLiteral("  ... as a share of a busy-polling wait"),
                 QStringLiteral("x"), 1.0 / 1000.0};

    Simulator sim({QStringLiteral("--silent")});
    QString why;
    std::unique_ptr<QtSerialPort> port;
    if (!sim.start())
        why = QStringLiteral("the simulator did not start");
    else
        port = openPort(sim, why);
    if (!port) {
        cpu.missing = ratio.missing = why;
        return {cpu, ratio};
    }
    OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    Wait::resetCallOff();

    QList<double> baselines;
    QJsonArray waitWalls;
    for (int i = 0; i < runs; ++i) {
        Module1::send(Commands::kIdentify);
        const double wall0 = Clocks::monotonic();
        const double cpu0 = Clocks::processCpu();
        Module1::ReadReply();
        const double used = Clocks::processCpu() - cpu0;
        waitWalls.append(Clocks::monotonic() - wall0);
        cpu.runs << used;

        Module1::send(Commands::kIdentify);
        const double base0 = Clocks::processCpu();
        busyPoll(*port, kWaitSeconds);
        baselines << Clocks::processCpu() - base0;
        ratio.runs << used / baselines.last();
    }
    QJsonArray baselineRuns;
    for (double b : baselines)
        baselineRuns.append(b);
    cpu.details.insert(QStringLiteral("wait_wall_s"), waitWalls);
    cpu.details.insert(QStringLiteral("not_responding_boxes"), prompt.asked);
    ratio.details.insert(QStringLiteral("baseline_cpu_s"), baselineRuns);
    ratio.details.insert(QStringLiteral("baseline_median_cpu_s"), Clocks::median(baselines));
    Module1::setPort(nullptr);
    return {cpu, ratio};
}

Figure replyLatency(int runs) {
    Figure latency{QStringLiteral("2a"), QStringLiteral("Reply LF written -> ReadReply returns"),
                   QStringLiteral("ms"), 0.5};
    Simulator sim;
    QString why;
    std::unique_ptr<QtSerialPort> port;
    if (!sim.start())
        why = QStringLiteral("the simulator did not start");
    else
        port = openPort(sim, why);
    if (!port) {
        latency.missing = why;
        return latency;
    }
    OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    Wait::resetCallOff();

    int lost = 0;
    for (int i = 0; i < runs; ++i) {
        Module1::send(Commands::kIdentify);
        Module1::ReadReply();
        const double returned = Clocks::monotonic();
        if (Module1::bTimeout) {
            ++lost;
            continue;
        }
        // The simulator stamps the record right after the reply's last byte is written.
        double written = -1.0;
        for (const Simulator::Event& event : sim.events())
            if (!event.received && event.bytes.endsWith('\n'))
                written = event.time;
        if (written > 0)
            latency.runs << (returned - written) * 1000.0;
    }
    latency.details.insert(QStringLiteral("timeouts"), lost);
    Module1::setPort(nullptr);
    return latency;
}

} // namespace LinkFigures
