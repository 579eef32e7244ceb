// The command line of installed copies: parsing rules and usage errors, and the real program
// answering without a display (option over variable included).
#include "Table.h"
#include "app/CommandLine.h"
#include "link/PortMap.h"

#include <QtTest>

using Outcome = CommandLine::Outcome;

class CommandLineTest : public QObject {
    Q_OBJECT

    // The real program with no window system at all: its exit status and what it printed.
    static QString runWithoutDisplay(const QStringList& arguments, const QString& com1 = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("MX7500_COM1"), com1);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(MX7500_BIN), arguments);
        program.waitForFinished(10000);
        return QString::number(program.exitCode()) + QLatin1Char(' ') +
               QString::fromLocal8Bit(program.readAllStandardOutput() +
                                      program.readAllStandardError());
    }

private Q_SLOTS:
    // What the program is left to do: run with the devices behind ports 1 and 2 and these
    // choices, or exit with this text. The variables name the devices no option names.
    void parsing_data() {
        // arguments, result
        columns<QStringList, QString>();
        row("none", QStringList{}, "run /dev/env1|/dev/env2|");
        row("both ports", QStringList{"--port1", "/dev/a", "--port2=/dev/b"}, "run /dev/a|/dev/b|");
        row("port 1 alone", QStringList{"--port1", "/dev/a"}, "run /dev/a|/dev/env2|");
        row("port 2 alone", QStringList{"--port2", "/dev/b"}, "run /dev/env1|/dev/b|");
        row("simulate, readings", QStringList{"--simulate", "--readings"},
            "run /dev/sim|/dev/env2|simulate readings");
        row("simulate, port 2", QStringList{"--simulate", "--port2", "/dev/b"},
            "run /dev/sim|/dev/b|simulate");
        row("version", QStringList{"--version"}, "0 MX7500 1.00");
        row("help wins", QStringList{"--port1", "/dev/x", "--help"}, "0 Usage: MX7500 [options]");
        row("unknown", QStringList{"--bogus"}, "2 Unknown option 'bogus'.");
        row("missing device", QStringList{"--simulate", "--port2"},
            "2 Missing value after '--port2'.");
        row("empty device", QStringList{"--port2="}, "2 --port2 needs a device name.");
        row("records file", QStringList{"--records", "/tmp/r.sqlite"},
            "run /dev/env1|/dev/env2|/tmp/r.sqlite");
        row("empty records file", QStringList{"--records="}, "2 --records needs a file name.");
        row("team server", QStringList{"--team", "postgresql://b1@db:5433/team?sslmode=require"},
            "run /dev/env1|/dev/env2|postgresql://b1@db:5433/team?sslmode=require");
        row("team password on the command line",
            QStringList{"--team", "postgresql://b1:secret@db/team"},
            "2 The team server's address holds a password: leave it out. The password is read "
            "from ~/.pgpass (or the file PGPASSFILE names), or asked for once.");
        row("simulate and port 1", QStringList{"--simulate", "--port1", "/dev/ttyS0"},
            "2 --simulate and --port1 both choose port 1's device.");
    }
    void parsing() {
        const auto [arguments, result] = fetched<QStringList, QString>();
        const Outcome outcome = CommandLine::parse(QStringList{"MX7500"} + arguments);
        qputenv("MX7500_COM1", "/dev/env1");
        qputenv("MX7500_COM2", "/dev/env2");
        PortMap::setOverride(1, QString());
        PortMap::setOverride(2, QString());
        CommandLine::applyPorts(outcome.choices, QStringLiteral("/dev/sim"));
        QString got;
        if (outcome.action == Outcome::Run)
            got = QStringLiteral("run %1|%2|%3%4%5")
                      .arg(PortMap::deviceName(1), PortMap::deviceName(2),
                           QLatin1String(outcome.choices.simulate ? "simulate" : ""),
                           QLatin1String(outcome.choices.readings ? " readings" : ""),
                           outcome.choices.records + outcome.choices.team);
        else if (outcome.exitStatus == 0) // the first line
            got = QStringLiteral("0 ") + outcome.output.section(QLatin1Char('\n'), 0, 0);
        else if (outcome.output.isEmpty())
            got = QStringLiteral("2 ") +
                  QString(outcome.error)
                      .remove(QStringLiteral("MX7500: "))
                      .remove(QStringLiteral("\nTry 'MX7500 --help' for the options.\n"));
        QCOMPARE(got, result);
    }

    // A usage error, --version and --list-ports end the program before it needs a display.
    void theProgramAnswersWithoutAWindow() {
        QVERIFY(runWithoutDisplay({"--no-such-option"}).startsWith("2 MX7500: Unknown option"));
        QCOMPARE(runWithoutDisplay({"--version"}), QStringLiteral("0 MX7500 1.00\n"));
        const QString list =
            runWithoutDisplay({"--list-ports", "--port1=/dev/opt"}, "/dev/from-variable");
        QVERIFY2(list.startsWith(QStringLiteral("0 Serial ports the system reports:")) &&
                     list.contains(QStringLiteral("\nPort 1: /dev/opt (command line)\n")) &&
                     list.contains(QRegularExpression(QStringLiteral("\nPort 2: /dev/\\S+.*\n$"))),
                 qPrintable(list));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
