// Team records figures.
#include "TeamFigures.h"

#include "Clocks.h"
#include "OkPrompt.h"
#include "TeamServerFixture.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/SqliteRecordStore.h"
#include "records/TeamSync.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>

#include <memory>

namespace TeamFigures {

namespace {

using Records::Record;
using Records::SqliteRecordStore;
using Records::TeamStatus;
using Records::TeamSync;

Record recordOf(const QString& asset, int n) {
    Record record;
    record.time = QDateTime::fromMSecsSinceEpoch(1767225600000LL + n * 60000LL, QTimeZone(3600));
    record.asset = asset;
    record.operatorName = QStringLiteral("Ann Baker");
    record.rx = 0.0125 + (n % 100) * 1e-6;
    return record;
}

std::unique_ptr<TeamSync> syncOf(const QString& uri, const QString& file) {
    Records::TeamUri parsed;
    QString error;
    Records::parseTeamUri(uri, parsed, error);
    return std::make_unique<TeamSync>(parsed, file);
}

// Runs the events until `done`, for at most `seconds`: the time it took, or a negative value.
template <typename Done> double until(Done done, double seconds) {
    const double start = Clocks::monotonic();
    // The time-limited processEvents() does not wait for events, it polls: a timer wakes the
    // blocking one instead, leaving the processors to the sync's thread.
    QTimer tick;
    tick.setInterval(20);
    tick.start();
    while (!done()) {
        if (Clocks::monotonic() - start > seconds)
            return -1.0;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return Clocks::monotonic() - start;
}

bool upToDate(const TeamSync& sync) {
    return sync.status().kind == TeamStatus::Kind::UpToDate && sync.status().waiting == 0;
}

QList<Figure> missing(const QString& why) {
    QList<Figure> figures;
    for (const char* number : {"9a", "9b", "9c", "9d"}) {
        Figure figure{QString::fromLatin1(number), QStringLiteral("Team records"),
                      QStringLiteral("-"), 0.0};
        figure.missing = why;
        figures << figure;
    }
    return figures;
}

} // namespace

QList<Figure> measure(int addRuns, int reachRuns) {
    if (!TeamDatabase::unavailable().isEmpty())
        return missing(TeamDatabase::unavailable());
    static OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    QTemporaryDir folder;
    Records::setSettingsFile(folder.filePath(QStringLiteral("settings.ini")));
    QList<Figure> figures;

    Figure add{QStringLiteral("9a"), QStringLiteral("One record added with a team server set"),
               QStringLiteral("ms"), 5.0};
    Figure reach{QStringLiteral("9b"),
                 QStringLiteral("A record of one bench to the other's Records window"),
                 QStringLiteral("ms"), 2000.0};
    {
        TeamDatabase server;
        if (!server.ready())
            return missing(server.error());
        // This bench: the program's own store, sync and Records window.
        Records::setStorePath(folder.filePath(QStringLiteral("here.sqlite")));
        Records::setTeam(server.uri());
        RecordsWindow* window = Records::openWindow();
        // The other bench, recording.
        SqliteRecordStore other;
        other.open(folder.filePath(QStringLiteral("other.sqlite")));
        std::unique_ptr<TeamSync> otherSync = syncOf(server.uri(), other.path());
        otherSync->start();
        if (!window || until([&] { return upToDate(*otherSync); }, 10) < 0)
            return missing(QStringLiteral("the benches did not reach the server"));
        for (int run = 0; run < reachRuns; ++run) {
            Record record = recordOf(QStringLiteral("REACH-%1").arg(run), run);
            const double start = Clocks::monotonic();
            other.add(record);
            otherSync->nudge();
            const int listed = run + 1;
            if (until([&] { return window->assets->rowCount() == listed; }, 10) < 0) {
                reach.missing = QStringLiteral("a record did not reach the other bench");
                break;
            }
            reach.runs << (Clocks::monotonic() - start) * 1000.0;
        }
        SqliteRecordStore& here = *static_cast<SqliteRecordStore*>(Records::store(nullptr));
        for (int run = 0; run < addRuns; ++run) {
            Record record = recordOf(QStringLiteral("ADD"), run);
            const double start = Clocks::monotonic();
            if (!here.add(record)) {
                add.missing = here.errorText();
                break;
            }
            Records::teamSync()->nudge();
            add.runs << (Clocks::monotonic() - start) * 1000.0;
            // Recording while the sync sends what came before.
            QCoreApplication::processEvents();
        }
        Records::closeStore();
        Records::setTeam(QString());
    }
    figures << add << reach;

    Figure send{QStringLiteral("9c"), QStringLiteral("10 000 waiting records sent"),
                QStringLiteral("s"), 5.0};
    Figure fetch{QStringLiteral("9d"), QStringLiteral("100 000 records fetched into an empty copy"),
                 QStringLiteral("s"), 10.0};
    {
        TeamDatabase server;
        const QStringList before = QSqlDatabase::connectionNames();
        SqliteRecordStore waiting;
        waiting.open(folder.filePath(QStringLiteral("waiting.sqlite")));
        QString connection;
        for (const QString& name : QSqlDatabase::connectionNames())
            if (!before.contains(name))
                connection = name;
        // Put in by the store's own add(), in one transaction.
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.transaction();
        for (int n = 0; n < 10000; ++n) {
            Record record = recordOf(QStringLiteral("J%1").arg(n % 1000), n);
            waiting.add(record);
        }
        db.commit();
        std::unique_ptr<TeamSync> sync = syncOf(server.uri(), waiting.path());
        sync->start();
        const double took = until([&] { return upToDate(*sync); }, 60);
        if (took < 0)
            send.missing = QStringLiteral("10 000 records were not sent within a minute");
        else
            send.runs << took;

        // 90 000 more from other benches, put in on the server itself; then an empty copy
        // fetches all 100 000.
        server.admin(QStringLiteral(
            "INSERT INTO records (id, seq, bench, time, time_ms, asset, operator, note, rx, "
            "material, limits_mode, nominal, tolerance, low, high, verdict, stable, meter_maker, "
            "meter_model, meter_serial, meter_firmware, program_version) SELECT "
            "gen_random_uuid(), 0, 'Bench ' || (n % 3), '2026-01-01T10:00:00.000+01:00', "
            "1767258000000 + n::bigint * 60000, 'K' || (n % 1000), 'Ann Baker', '', 0.0125, '', "
            "'off', "
            "0, 0, 0, 0, '', false, 'Norvale', 'MX7500', 'MX75-000123', '1.04', '1.01' "
            "FROM generate_series(1, 90000) AS n"));
        SqliteRecordStore empty;
        empty.open(folder.filePath(QStringLiteral("empty.sqlite")));
        std::unique_ptr<TeamSync> fetching = syncOf(server.uri(), empty.path());
        const double start = Clocks::monotonic();
        fetching->start();
        const double fetched = until(
            [&] {
                std::vector<Records::AssetSummary> assets;
                int total = 0;
                if (upToDate(*fetching) && empty.assets(QString(), assets))
                    for (const auto& asset : assets)
                        total += asset.count;
                return total == 100000;
            },
            120);
        if (fetched < 0) {
            std::vector<Records::AssetSummary> assets;
            int total = 0;
            empty.assets(QString(), assets);
            for (const auto& asset : assets)
                total += asset.count;
            fetch.missing = QStringLiteral("100 000 records were not fetched within two minutes "
                                           "(%1 were; %2)")
                                .arg(total)
                                .arg(Records::teamStatusText(fetching->status()));
        } else
            fetch.runs << Clocks::monotonic() - start;
    }
    figures << send << fetch;
    Records::setSettingsFile(QString());
    return figures;
}

} // namespace TeamFigures
