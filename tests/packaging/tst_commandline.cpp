// The command line of installed copies: parsing rules and usage errors, option over variable,
// the real program without a display, and --simulate reaching the results window.
#include "Desktop.h"
#include "Table.h"
#include "app/CommandLine.h"

#include <QtTest>

#include <memory>

using Outcome = CommandLine::Outcome;

class CommandLineTest : public QObject {
    Q_OBJECT

    static Outcome parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("MX7500"));
        return CommandLine::parse(arguments);
    }
    // The real program with no window system at all.
    static QProcess* runWithoutDisplay(const QStringList& arguments, const QString& com1 = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("MX7500_COM1"), com1);
        auto* program = new QProcess;
        program->setProcessEnvironment(environment);
        program->start(QStringLiteral(MX7500_BIN), arguments);
        program->waitForFinished(10000);
        return program;
    }

private Q_SLOTS:
    // What the program is left to do: run with these choices, or exit with this text.
    void parsing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("result");
        row("none", QStringList{}, "run ||");
        row("both ports", QStringList{"--port1", "/dev/a", "--port2=/dev/b"}, "run /dev/a|/dev/b|");
        row("last repeat counts", QStringList{"--port2", "/dev/a", "--port2", "/dev/b"},
            "run |/dev/b|");
        row("simulate, readings", QStringList{"--simulate", "--readings"},
            "run ||simulate readings");
        row("version", QStringList{"--version"}, "0 MX7500 1.00\n");
        row("unknown", QStringList{"--bogus"}, "2 Unknown option 'bogus'.");
        row("missing device", QStringList{"--simulate", "--port2"},
            "2 Missing value after '--port2'.");
        row("empty device", QStringList{"--port2="}, "2 --port2 needs a device name.");
        row("stray argument", QStringList{"/dev/ttyS0"}, "2 unexpected argument '/dev/ttyS0'.");
        row("simulate and port 1", QStringList{"--simulate", "--port1", "/dev/ttyS0"},
            "2 --simulate and --port1 both choose port 1's device.");
    }
    void parsing() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, result);
        const Outcome outcome = parse(arguments);
        QString got;
        if (outcome.action == Outcome::Run)
            got = QStringLiteral("run %1|%2|%3%4")
                      .arg(outcome.choices.port1, outcome.choices.port2,
                           QLatin1String(outcome.choices.simulate ? "simulate" : ""),
                           QLatin1String(outcome.choices.readings ? " readings" : ""));
        else if (outcome.exitStatus == 0)
            got = QStringLiteral("0 ") + outcome.output;
        else if (outcome.output.isEmpty())
            got = QStringLiteral("2 ") +
                  QString(outcome.error)
                      .remove(QStringLiteral("MX7500: "))
                      .remove(QStringLiteral("\nTry 'MX7500 --help' for the options.\n"));
        QCOMPARE(got, result);
    }

    void helpWinsAndNamesEveryOption() {
        const Outcome help = parse({"--port1", "/dev/x", "--help"});
        QCOMPARE(help.exitStatus, 0);
        QVERIFY(help.output.startsWith(QStringLiteral("Usage: MX7500 [options]\n")));
        for (const char* option : {"--version", "--port1 <DEVICE>", "--port2 <DEVICE>",
                                   "--simulate", "--list-ports", "--readings", "MX7500_COM1"})
            QVERIFY2(help.output.contains(QLatin1String(option)), option);
    }

    // A usage error, --version and --list-ports end the program before it needs a display.
    void theProgramAnswersWithoutAWindow() {
        std::unique_ptr<QProcess> bad(runWithoutDisplay({"--no-such-option"}));
        QCOMPARE(bad->exitCode(), 2);
        QVERIFY(bad->readAllStandardError().startsWith("MX7500: Unknown option"));
        std::unique_ptr<QProcess> version(runWithoutDisplay({"--version"}));
        QCOMPARE(version->readAllStandardOutput(), QByteArray("MX7500 1.00\n"));
        std::unique_ptr<QProcess> list(
            runWithoutDisplay({"--list-ports", "--port1=/dev/opt"}, "/dev/from-variable"));
        QCOMPARE(list->exitCode(), 0);
        const QString output = QString::fromLocal8Bit(list->readAllStandardOutput());
        QVERIFY2(
            output.startsWith(QStringLiteral("Serial ports the system reports:")) &&
                output.contains(QStringLiteral("\nPort 1: /dev/opt (command line)\n")) &&
                output.contains(QRegularExpression(QStringLiteral("\nPort 2: /dev/\\S+.*\n$"))),
            qPrintable(output));
    }

    // --simulate with port 1 mapped nowhere: Continue identifies the simulator started beside
    // the program and hands over to the results window.
    void simulateAnswersTheIdentification() {
        Desktop desktop;
        if (!desktop.start())
            QSKIP(qPrintable(desktop.why()));
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("MX7500_COM1"), QStringLiteral("/nonexistent/tty"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(MX7500_BIN), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted(5000));
        const QString connection =
            desktop.waitForWindow(QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0"));
        QVERIFY2(!connection.isEmpty(), "the connection window did not appear");
        desktop.click(connection, QPoint(64, 88)); // Continue
        QVERIFY2(!desktop.waitForWindow(QStringLiteral("Results")).isEmpty(),
                 "the simulator did not answer *IDN?");
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
