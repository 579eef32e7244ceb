// The real serial port on a real pseudo-terminal, with the simulator as the meter: a run
// shown and logged, and the line failing under it (unplugged during the identification or a
// reading, and plugged back in, or plugged in only after the port failed to open).
#include "Panel.h"
#include "Simulator.h"
#include "Timing.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"

#include <QDirIterator>

#include <csignal>
#include <dlfcn.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
// Every line setting the program asks of the kernel. A pseudo-terminal keeps what it can use
// and nothing else (always 8 data bits and no parity), so those are seen on their way to it.
std::vector<termios> g_asked;

// The line settings of `device` as this process holds it open: read from its own descriptor,
// since a second open of a serial device may be refused while the first holds it.
std::optional<termios> lineOf(const QString& device) {
    const QString wanted = QFileInfo(device).canonicalFilePath();
    if (wanted.isEmpty())
        return std::nullopt;
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::Files | QDir::System);
    while (fds.hasNext()) {
        const QString fd = fds.next();
        termios line{};
        if (QFileInfo(fd).canonicalFilePath() == wanted &&
            ::tcgetattr(fds.fileName().toInt(), &line) == 0)
            return line;
    }
    return std::nullopt;
}
} // namespace

extern "C" int tcsetattr(int fd, int action, const termios* line) {
    using Real = int (*)(int, int, const termios*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcsetattr"));
    g_asked.push_back(*line);
    return real(fd, action, line);
}

class LineFaultsTest : public Panel {
    Q_OBJECT

private Q_SLOTS:
    // A CR LF meter sending its reply in pieces: a logging run with two triggers, the first
    // corrected, and an upload between them.
    void readingsAreShownAndLogged() {
        Simulator sim({"--crlf", "--pieces", "3"});
        frmMeasure& window = handOver(sim);
        const QString file = startLog(QStringLiteral("run")); // taken as typed
        window.cmdTC->click();
        activate(&window);
        typeInto(window.Temp, QStringLiteral("30"));
        window.Start->click();
        QCOMPARE(rows(), (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.01923", "mOhm"}));
        window.Config->click();
        Configure::use().Update->click();
        window.cmdTC->click();
        window.Start->click();
        window.cmdLog->click();
        QCOMPARE(
            logLines(file).join('|'),
            "Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04|Rx,1.250000e-02, Ohm ,Rtc,"
            "0.01201923, Ohm ,30,0.004|Configuration Changed|Rx,1.250000e-02, Ohm|Stop Log ,D,T");
        // What the meter heard from the upload on: the eight settings lines, each more than
        // 0.2 s after the one before (the record lags a write by an uneven few tens of ms),
        // then a clear and a trigger.
        QTRY_COMPARE(sim.received().count("*TRG\r\n"), 2);
        const QList<QByteArray> lines = sim.received();
        QCOMPARE(
            lines.mid(lines.size() - 10).join(),
            ":TRIG:SOUR BUS\r\n:SOUR:DRY 0\r\n:SOUR:DRIV 0\r\n:SENS:RANG:AUTO 1\r\n:SENS:SPEED "
            "Fast\r\n:TRIG:DEL 5\r\n:Sens:AVER:COUN 1\r\n*CLS\r\n*cls\r\n*TRG\r\n");
        const QList<Simulator::Event> heard = sim.heard().mid(lines.size() - 10);
        for (int i = 1; i < 8; ++i)
            QVERIFY2(heard[i].time - heard[i - 1].time > 0.15, heard[i].bytes.constData());
    }

    // The line as the program opened it for each baud rate typed: every setting it asks for
    // has 8 data bits, no parity, one stop bit and no flow control, and the line runs at
    // 9600 baud unless 19200 was typed exactly.
    void lineSettings() {
        Simulator sim;
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        Form1::setPortFactory([] { return new QtSerialPort; });
        Form1& form = showConnection();
        activate(&form);
        for (const auto& [typed, speed] :
             {std::pair{"19200", B19200}, {"38400", B9600}, {"9600", B9600}}) {
            g_asked.clear();
            typeInto(form.baud, QString::fromLatin1(typed));
            QVERIFY(!g_asked.empty());
            for (const termios& asked : g_asked) {
                QCOMPARE(asked.c_cflag & CSIZE, tcflag_t(CS8));
                QCOMPARE(asked.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
                QCOMPARE(asked.c_iflag & (IXON | IXOFF), tcflag_t(0));
            }
            const std::optional<termios> line = lineOf(sim.device());
            QVERIFY(line);
            QCOMPARE(cfgetospeed(&*line), speed_t(speed));
            QCOMPARE(cfgetispeed(&*line), speed_t(speed));
        }
    }

    // Unplugged during the identification: the wait ends at once, the program idles, and the
    // meter plugged back in answers the next command.
    void unpluggedAndPluggedBackDuringIdentification() {
        const QString link = path(QStringLiteral("meter"));
        auto first =
            std::make_unique<Simulator>(QStringList{"--link", link, "--hangup-on", "*IDN?"});
        QVERIFY(first->start());
        PortMap::setOverride(1, link);
        QtSerialPort port;
        QVERIFY(port.setPortOpen(true));
        Module1::setPort(&port);
        prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok);
        within(msTaken([] { Module1::Identify(); }), 0, 3000); // the line's end is noticed
        QVERIFY(Module1::bTimeout && !port.portOpen());
        // A hung-up line that stayed open would keep the event loop busy.
        const double before = cpuSeconds();
        QTest::qWait(1500);
        QVERIFY2(cpuSeconds() - before < 0.3, "the program spins while the line is gone");

        first.reset();
        Simulator second({"--link", link});
        QVERIFY(second.start());
        Module1::Identify();
        QVERIFY(!Module1::bTimeout);
        QCOMPARE(Module1::sIdnModel, QStringLiteral("MX7500"));
        // Closed by the program, the port stays closed: a command does not reopen it.
        port.setPortOpen(false);
        QVERIFY(!port.output("*IDN?\r\n") && !port.portOpen());
    }

    // A port that could not be opened is tried again by the next command: the adapter is
    // plugged in after "Comm port 1 not available", before Continue or while the
    // not-responding box of a first Continue is up, and Continue then reaches the meter.
    void portMissingAtLoadOpensAtContinue_data() {
        // duringBox
        columns<bool>();
        row("plugged in before Continue", false);
        row("plugged in while the not-responding box is up", true);
    }
    void portMissingAtLoadOpensAtContinue() {
        const auto [duringBox] = fetched<bool>();
        const QString link = path(QStringLiteral("meter"));
        PortMap::setOverride(1, link);
        Form1::setPortFactory([] { return new QtSerialPort; });
        prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        Form1& form = showConnection();
        Simulator sim({"--link", link});
        const auto plugIn = [&sim] { QVERIFY(sim.start()); };
        if (duringBox) {
            prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok, plugIn);
            form.Measure->click();
            QVERIFY(!frmMeasure::loaded());
        } else {
            plugIn();
        }
        form.Measure->click();
        QVERIFY(frmMeasure::loaded());
        QTRY_VERIFY(sim.received().contains("*IDN?\r\n"));
    }

    void meterUnpluggedInTheMiddleOfTheReading() {
        // The reading comes in two pieces 1.5 s apart; the line dies between them, while the
        // front panel lets the first piece settle.
        Simulator sim({"--pieces", "2", "--piece-gap", "1500"});
        frmMeasure& window = handOver(sim);
        const auto repliesSent = [&sim] { return sim.events().size() - sim.heard().size(); };
        std::thread unplug([&sim, repliesSent, before = repliesSent()] {
            for (int i = 0; i < 200 && repliesSent() == before; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::kill(pid_t(sim.pid()), SIGUSR1);
        });

        prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok);
        window.Start->click();
        unplug.join();
        // "1.2500" of "1.250000e-02" would read as a plausible, wrong 1.25 Ohm.
        QCOMPARE(rows(), QStringList(6, QString()));
        QVERIFY(unlocked());
    }
};

QTEST_MAIN(LineFaultsTest)
#include "tst_line_faults.moc"
