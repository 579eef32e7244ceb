// The front panel's entry point.
#include "app/BuiltInSimulator.h"
#include "app/CommandLine.h"
#include "app/FontWarmUp.h"
#include "app/Program.h"
#include "link/PortMap.h"
#include "records/RunRecords.h"
#include "windowkit/DialogPrompt.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    // The command line is read before any window system is touched, so --help, --version,
    // --list-ports and usage errors work without a display.
    const CommandLine::Outcome outcome = CommandLine::parse(argumentsOf(argc, argv));
    if (outcome.action == CommandLine::Outcome::Exit) {
        std::fputs(outcome.output.toLocal8Bit().constData(), stdout);
        std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
        return outcome.exitStatus;
    }
    if (outcome.action == CommandLine::Outcome::ListPorts) {
        CommandLine::applyPorts(outcome.choices, QStringLiteral("the built-in simulator"));
        std::fputs(PortMap::listing().toLocal8Bit().constData(), stdout);
        return 0;
    }
    // The font configuration loads while the toolkit connects to the display.
    FontWarmUp::start();
    QApplication app(argc, argv);
    FontWarmUp::finish();
    QApplication::setApplicationName(QStringLiteral("MX7500"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.norvale.mx7500"));
    // The windows decide when the program ends: hiding the last visible one does not.
    QApplication::setQuitOnLastWindowClosed(false);
    // A style that draws button colours (the green Trigger) on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    BuiltInSimulator simulator;
    if (outcome.choices.simulate) {
        if (!simulator.start(QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("mx7500-sim")))) {
            std::fprintf(stderr, "MX7500: %s\n", qPrintable(simulator.errorText()));
            return 1;
        }
    }
    CommandLine::applyPorts(outcome.choices, simulator.device());
    if (!outcome.choices.records.isEmpty())
        Records::setStorePath(outcome.choices.records);
    if (!outcome.choices.team.isEmpty())
        Records::setTeam(outcome.choices.team);

    DialogPrompt prompt;
    Program::start(prompt, outcome.choices.readings);
    return Program::ended() ? 0 : app.exec();
}
