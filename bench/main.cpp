// The bench: measures the figures, prints them with their targets and writes them as JSON.
#include "LinkFigures.h"
#include "ProgramFigures.h"
#include "ReadingsFigures.h"
#include "RecordsFigures.h"
#include "Report.h"
#include "SettlingFigures.h"
#include "TeamFigures.h"
#include "WindowFigures.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char* argv[]) {
    // The in-process figures run real windows without showing them anywhere; the program's
    // own figures get an X server of their own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the front panel's waits, cycle, upload, start-up, idle cost and "
                       "Readings window, and the test records' store and window."));
    parser.addHelpOption();
    const QCommandLineOption json(
        QStringLiteral("json"), QStringLiteral("Where to write the figures as JSON."),
        QStringLiteral("file"), QStringLiteral("bench/results/latest.json"));
    const QCommandLineOption quick(QStringLiteral("quick"),
                                   QStringLiteral("One run of each long figure (a smoke run)."));
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("Comma-separated groups to run: link (1, 2a), windows (2b, 3, 4), "
                       "program (5, 6), readings (7), records (8), team (9). Default: all."),
        QStringLiteral("groups"), QStringLiteral("link,windows,program,readings,records,team"));
    parser.addOptions({json, quick, only});
    parser.process(app);

    const bool short_ = parser.isSet(quick);
    const QStringList groups = parser.value(only).split(QLatin1Char(','));
    QList<Figure> figures;
    if (groups.contains(QStringLiteral("link"))) {
        std::fprintf(stderr, "bench: reply waits (about %d s)...\n", short_ ? 25 : 65);
        figures << LinkFigures::waitCpu(short_ ? 1 : 3);
        figures << LinkFigures::replyLatency(short_ ? 10 : 50);
    }
    if (groups.contains(QStringLiteral("windows"))) {
        std::fprintf(stderr, "bench: trigger cycles and uploads (about %d s)...\n",
                     short_ ? 10 : 30);
        figures << WindowFigures::measure(short_ ? 5 : 15, short_ ? 2 : 7);
    }
    if (groups.contains(QStringLiteral("program"))) {
        std::fprintf(stderr, "bench: start-up and idle program (about %d s)...\n",
                     short_ ? 20 : 50);
        figures << ProgramFigures::measure(short_ ? 3 : 11, short_ ? 1 : 3, 10.0);
    }

    if (groups.contains(QStringLiteral("readings"))) {
        std::fprintf(stderr, "bench: Readings window and auto-repeat (about %d s)...\n",
                     short_ ? 20 : 75);
        figures << ReadingsFigures::measure(short_ ? 20 : 100, short_ ? 10 : 60);
        figures << SettlingFigures::measure(short_ ? 50 : 200);
    }
    if (groups.contains(QStringLiteral("records"))) {
        std::fprintf(stderr,
                     "bench: test records, 100 000 in a store, then 1 000 000 (about %d s)...\n",
                     short_ ? 10 : 15);
        figures << RecordsFigures::measure(short_ ? 3 : 15, short_ ? 10 : 100);
    }

    if (groups.contains(QStringLiteral("team"))) {
        std::fprintf(stderr, "bench: team records on a PostgreSQL server (about %d s)...\n",
                     short_ ? 40 : 60);
        figures << TeamFigures::measure(short_ ? 10 : 100, short_ ? 5 : 20);
    }

    Report::print(figures);
    const QString path = parser.value(json);
    if (!Report::write(figures, path)) {
        std::fprintf(stderr, "bench: cannot write %s\n", qPrintable(path));
        return 2;
    }
    std::printf("figures written to %s\n", qPrintable(path));
    for (const Figure& figure : figures)
        if (!figure.met())
            return 1;
    return 0;
}
