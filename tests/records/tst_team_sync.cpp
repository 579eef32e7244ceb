// Team records on a real PostgreSQL server: the server's layout and its bench role (records
// added and read, never changed), benches that send and fetch through the sync's own thread,
// and the faults: a server down at first, a connection cut in the middle of a batch, a wrong
// or missing password, a server that demands TLS, a newer layout, a program killed between
// its commit and the send, and three benches recording at once. Nothing lost, nothing twice.
#include "KilledChild.h"
#include "RecordSamples.h"
#include "Table.h"
#include "TeamServerFixture.h"
#include "ToolTip.h"
#include "readings/Reading.h"
#include "records/RecordBox.h"
#include "records/RecordTexts.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/SqliteRecordStore.h"
#include "records/TeamServer.h"
#include "records/TeamSync.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <sys/mount.h>

using namespace Records;

namespace {

// The `n`th record of `asset`, a second after the one before.
Record recordOf(const QString& asset, int n) {
    Record record = recordAt(asset, "2026-03-02T10:00:00.000+01:00", 0.0125 + n * 1e-6);
    record.time = record.time.addSecs(n);
    record.operatorName = QStringLiteral("Ann");
    return record;
}

TeamUri parsed(const QString& text) {
    TeamUri uri;
    QString error;
    parseTeamUri(text, uri, error);
    return uri;
}

// A bench: its own store (in a folder of its own unless named) and, once started, its sync
// with the server, woken by each record added.
struct Bench {
    QTemporaryDir dir;
    SqliteRecordStore store;
    std::unique_ptr<TeamSync> sync;

    explicit Bench(const QString& name, const QString& file = QString()) {
        store.setBench(name);
        store.open(file.isEmpty() ? dir.filePath(QStringLiteral("records.sqlite")) : file);
    }
    bool add(const QString& asset, int count, int from = 0) {
        for (int n = from; n < from + count; ++n) {
            Record record = recordOf(asset, n);
            if (!store.add(record))
                return false;
            if (sync)
                sync->nudge();
        }
        return true;
    }
    void start(const QString& uri) {
        sync = std::make_unique<TeamSync>(parsed(uri), store.path());
        sync->start();
    }
    QString state() const { return sync ? teamStatusText(sync->status()) : QString(); }
    Record last() {
        std::vector<AssetSummary> assets;
        store.assets(QString(), assets);
        return assets.empty() ? Record() : assets.back().last;
    }
    int count() {
        std::vector<AssetSummary> assets;
        int total = 0;
        store.assets(QString(), assets);
        for (const AssetSummary& asset : assets)
            total += asset.count;
        return total;
    }
};

// The bench process's exit code: 0 once its copy holds `expected` records, all of them sent.
int runBench(const QString& uri, const QString& name, const QString& file, int count,
             int expected) {
    Bench bench(name, file);
    bench.start(uri);
    if (!bench.add(name, count))
        return 4;
    // processEvents() with a time limit polls without waiting; a timer wakes the blocking one.
    QTimer tick;
    tick.start(200);
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (bench.count() == expected && bench.state() == QLatin1String("Team server: up to date"))
            return 0;
    }
    return 5;
}

} // namespace

class TeamSyncTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TeamDatabase> m_server;

private Q_SLOTS:
    void init() {
        if (const QString missing = TeamDatabase::unavailable(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        m_server = std::make_unique<TeamDatabase>();
        QVERIFY2(m_server->ready(), qPrintable(m_server->error()));
    }
    void cleanup() { m_server.reset(); }

    // A team server named but not to be used says why in the Records window, and no sync
    // starts: an address in the settings that cannot be used; a store that cannot be written,
    // which could keep neither the team's records nor any of its own.
    void teamUnused_data() {
        // team in the settings, store read-only, the Records window's line
        columns<QString, bool, QString>();
        row("an unusable address", "mysql://bench1@db/team", false,
            "The team server \"mysql://bench1@db/team\" is not a PostgreSQL address");
        row("a read-only store", "postgresql://bench1@localhost/team", true,
            "Team server: not in touch, because the records store on this computer is "
            "read-only");
    }
    void teamUnused() {
        const auto [team, readOnly, said] = fetched<QString, bool, QString>();
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("settings.ini"));
        QSettings(settings, QSettings::IniFormat).setValue(QStringLiteral("records/team"), team);
        Records::setSettingsFile(settings);
        const QString folder = dir.filePath(QStringLiteral("store"));
        SqliteRecordStore().open(folder + QStringLiteral("/records.sqlite"));
        // A read-only view of the folder, which even the superuser cannot write through.
        const QByteArray path = folder.toLocal8Bit();
        if (readOnly &&
            (::mount(path, path, nullptr, MS_BIND, nullptr) != 0 ||
             ::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0))
            QSKIP("a read-only folder needs the right to mount (run as root)");
        Records::setStorePath(folder + QStringLiteral("/records.sqlite"));
        RecordsWindow* window = Records::openWindow();
        QVERIFY(window && !Records::teamSync());
        auto* state = window->findChild<QLabel*>(QStringLiteral("teamState"));
        QVERIFY2(state && state->text().startsWith(said), qPrintable(state ? state->text() : ""));
        Records::closeStore();
        Records::setSettingsFile(QString());
        if (readOnly)
            ::umount2(path, MNT_DETACH);
    }

    // The server's layout as an administrator sets it up: the bench role adds and reads
    // records, the server numbers them in its own order whatever a bench writes, and nobody
    // changes or removes one; every insert is notified.
    void serverLayout() {
        TeamServer bench(parsed(m_server->uri()), QStringLiteral("bench-login"));
        QVERIFY2(bench.open(QString()), qPrintable(bench.detail()));
        QVERIFY(bench.driver()->subscribeToNotification(TeamServer::kChannel));
        QSignalSpy notified(bench.driver(), &QSqlDriver::notification);
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("bench-login")));
        const QString insert = QStringLiteral(
            "INSERT INTO records (id, seq, bench, time, time_ms, asset, operator, note, "
            "material, limits_mode, verdict, stable, meter_maker, meter_model, "
            "meter_serial, meter_firmware, program_version) VALUES (gen_random_uuid(), "
            "%1, 'b', 't', 0, 'J1', '', '', '', 'off', '', false, '', '', '', '', '')");
        QVERIFY2(query.exec(insert.arg(99)), qPrintable(query.lastError().text()));
        QVERIFY(query.exec(insert.arg(5)));
        QVERIFY(query.exec(QStringLiteral("SELECT string_agg(seq::text, ' ' ORDER BY seq) "
                                          "FROM records")) &&
                query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("1 2"));
        // One sender numbers records at a time, until its commit: a number drawn later is never
        // committed first, so a fetch above the highest number it saw misses none.
        TeamServer other(parsed(m_server->uri()), QStringLiteral("other-login"));
        QVERIFY(other.open(QString()));
        QSqlQuery waiting(QSqlDatabase::database(QStringLiteral("other-login")));
        QVERIFY(waiting.exec(QStringLiteral("SET lock_timeout = 300")));
        QVERIFY(QSqlDatabase::database(QStringLiteral("bench-login")).transaction());
        QVERIFY(query.exec(insert.arg(0)) && !waiting.exec(insert.arg(0)));
        QCOMPARE(waiting.lastError().nativeErrorCode(), QStringLiteral("55P03")); // lock timeout
        QVERIFY(QSqlDatabase::database(QStringLiteral("bench-login")).commit());
        for (const char* change : {"UPDATE records SET rx = 1", "DELETE FROM records",
                                   "TRUNCATE records", "UPDATE mx7500_schema SET version = 9"}) {
            QVERIFY2(!query.exec(QString::fromLatin1(change)), change);
            QVERIFY2(query.lastError().text().contains("permission denied"), change);
        }
        QTRY_VERIFY(notified.count() >= 1);
        QCOMPARE(notified.first().first().toString(), QString(TeamServer::kChannel));
        // Not even the owner changes one by mistake.
        QVERIFY(!m_server->admin(QStringLiteral("UPDATE records SET rx = 1")).isValid());
        QCOMPARE(m_server->admin(QStringLiteral("SELECT count(*) FROM records")).toInt(), 3);
        QCOMPARE(m_server->admin(QStringLiteral("SELECT version FROM mx7500_schema")).toInt(), 1);
    }

    // Two benches: what each records reaches the other, woken by the server's notice, with
    // the bench that recorded it; the server holds each record once.
    void benchesShare() {
        Bench a(QStringLiteral("Bench A")), b(QStringLiteral("Bench B"));
        QVERIFY(a.add(QStringLiteral("J1"), 3));
        a.start(m_server->uri());
        b.start(m_server->uri());
        QTRY_COMPARE(b.count(), 3);
        QTRY_COMPARE(a.state(), QStringLiteral("Team server: up to date"));
        QVERIFY(b.add(QStringLiteral("J1"), 2, 3));
        QTRY_COMPARE(a.count(), 5);
        std::vector<Record> history;
        QVERIFY(a.store.history(QStringLiteral("J1"), history));
        QStringList benches;
        for (const Record& record : history)
            benches << record.bench;
        QCOMPARE(benches.join('|'), QStringLiteral("Bench A|Bench A|Bench A|Bench B|Bench B"));
        Record theirs = b.last(); // every field as B recorded it, but A's own number
        theirs.id = history.back().id;
        QCOMPARE(fields(history.back()), fields(theirs));
        QTRY_COMPARE(b.state(), QStringLiteral("Team server: up to date"));
        QCOMPARE(serverCount(), QStringLiteral("5 5"));
    }

    // A server that cannot be reached at first, and one whose connection is cut in the middle
    // of a batch (as when it is stopped at once): the records wait, the state says how many
    // and since when, and once the server answers again each is there exactly once.
    void serverAway_data() {
        // records, bytes the program may send before every connection is cut (-1: none)
        columns<int, int>();
        row("unreachable at start", 3, -1);
        row("cut mid-batch", 1200, 60000);
    }
    void serverAway() {
        const auto [records, cutAfter] = fetched<int, int>();
        CuttingProxy proxy; // outlives the bench's sync, which may still be using it
        Bench a(QStringLiteral("Bench A"));
        QVERIFY(a.add(QStringLiteral("J1"), records));
        if (cutAfter >= 0) {
            QVERIFY(proxy.up());
            proxy.cutAfter(cutAfter);
        }
        a.start(m_server->uri(proxy.port()));
        // All waiting when none could be sent; after a cut, those the program took as unsent.
        const QRegularExpression away(
            QStringLiteral("^Team server: %1 records? waiting to be sent \\(unreachable since "
                           "\\d\\d:\\d\\d\\)$")
                .arg(cutAfter < 0 ? QString::number(records) : QStringLiteral("\\d+")));
        QTRY_VERIFY2(away.match(a.state()).hasMatch(), qPrintable(a.state()));
        QVERIFY2(serverCount().section(' ', 0, 0).toInt() < records,
                 "the cut came after the last batch");
        QVERIFY(proxy.up());
        QTRY_COMPARE_WITH_TIMEOUT(a.state(), QStringLiteral("Team server: up to date"), 30000);
        QCOMPARE(serverCount(), QStringLiteral("%1 %1").arg(records));
    }

    // Servers this program cannot use as they are, said in words, with nothing sent and not
    // tried again on its own: a wrong password, and none where the server needs one (then
    // connected with the one the operator gives); a server that takes encrypted connections
    // only, named without sslmode; one laid out by a newer program, left untouched. The
    // TLS-only one with a certificate is used when named with sslmode=require, and refused as
    // before with sslmode=disable: the URI's settings reach libpq.
    void refused_data() {
        // setup ("password" and the password file's, or by the administrator), state
        columns<QString, QString>();
        row("wrong password", "password not-it",
            "Team server: wrong password (1 record waiting to be sent)");
        row("no password", "password",
            "Team server: a password is needed (1 record waiting to be sent)");
        row("TLS demanded", "tls",
            "Team server: it accepts encrypted connections only (add ?sslmode=require to its "
            "address) (1 record waiting to be sent)");
        row("TLS given", "tls certificate ?sslmode=require", "Team server: up to date");
        row("TLS declined", "tls certificate ?sslmode=disable",
            "Team server: it accepts encrypted connections only (add ?sslmode=require to its "
            "address) (1 record waiting to be sent)");
        row("newer layout", "INSERT INTO mx7500_schema VALUES (2)",
            "Team server: its records are laid out for a newer version of this program (layout "
            "2; this one knows up to 1), so it is left untouched (1 record waiting to be sent)");
    }
    void refused() {
        const auto [setup, state] = fetched<QString, QString>();
        const bool password = setup.startsWith(QLatin1String("password"));
        const bool certificate = setup.startsWith(QLatin1String("tls certificate"));
        if (certificate) {
            // Made by the server's own user in its data folder, the key readable by it alone.
            for (const char* step :
                 {"CREATE TABLE made (line text)",
                  "COPY made FROM PROGRAM 'openssl req -x509 -newkey rsa:2048 -nodes -subj "
                  "/CN=localhost -days 2 -keyout mx7500-test.key -out mx7500-test.crt "
                  ">/dev/null 2>&1 && echo made'",
                  "ALTER SYSTEM SET ssl_cert_file = 'mx7500-test.crt'",
                  "ALTER SYSTEM SET ssl_key_file = 'mx7500-test.key'", "ALTER SYSTEM SET ssl = on"})
                QVERIFY2(m_server->admin(QString::fromLatin1(step)).isValid(), step);
        }
        if (setup == QLatin1String("password")) {
            qputenv("PGPASSFILE", "/nonexistent");
        } else if (password) {
            m_server->setPasswordFile(setup.section(' ', 1));
        } else if (setup.startsWith(QLatin1String("tls"))) {
            QFile hba(m_server->admin(QStringLiteral("SHOW hba_file")).toString());
            QVERIFY(hba.open(QIODevice::ReadWrite));
            const QByteArray rules = hba.readAll();
            hba.seek(0); // the rule goes first; the file only grows
            hba.write(QStringLiteral("hostnossl %1 %2 all reject\n")
                          .arg(m_server->database(), m_server->bench())
                          .toUtf8() +
                      rules);
            hba.close();
            QVERIFY(m_server->admin(QStringLiteral("SELECT pg_reload_conf()")).toBool());
        } else {
            QVERIFY(m_server->admin(setup).isValid());
        }
        Bench a(QStringLiteral("Bench A"));
        QVERIFY(a.add(QStringLiteral("J1"), 1));
        a.start(m_server->uri() + (certificate ? setup.section(' ', 2) : QString()));
        QTRY_COMPARE(a.state(), state);
        QTest::qWait(1500); // no second try on its own
        QCOMPARE(serverCount(), state.endsWith(QLatin1String("up to date"))
                                    ? QStringLiteral("1 1")
                                    : QStringLiteral("0 0"));
        if (certificate) {
            m_server->admin(QStringLiteral("ALTER SYSTEM RESET ssl"));
            m_server->admin(QStringLiteral("SELECT pg_reload_conf()"));
        }
        if (password) {
            a.sync->setPassword(QStringLiteral("pw-") + m_server->bench());
            QTRY_COMPARE(a.state(), QStringLiteral("Team server: up to date"));
            QCOMPARE(serverCount(), QStringLiteral("1 1"));
        }
    }

    // The program killed the moment after its commit, before anything was sent, and killed
    // after the server took a batch but before it was marked sent: each record reaches the
    // server once.
    void killed() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("records.sqlite"));
        QCOMPARE(inChild([&] { return recordIn(file); }), QByteArray("recorded"));
        Bench a(QStringLiteral("Bench A"), file);
        QVERIFY(a.add(QStringLiteral("J1"), 1));
        {
            TeamServer server(parsed(m_server->uri()), QStringLiteral("by hand"));
            QVERIFY(server.open(QString()) && server.send({a.last()}));
        }
        a.start(m_server->uri());
        QTRY_COMPARE(a.state(), QStringLiteral("Team server: up to date"));
        QCOMPARE(serverCount(), QStringLiteral("2 2"));
    }

    // Three benches, three processes with three stores, recording 1 000 records each at once:
    // the server holds exactly 3 000 and each bench's copy all of them.
    void threeBenches() {
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> benches;
        for (const char* name : {"A", "B", "C"}) {
            auto process = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TEAM_BENCH"),
                       QStringLiteral("%1 %2 %3 1000 3000")
                           .arg(m_server->uri(), QString::fromLatin1(name),
                                dir.filePath(QString::fromLatin1(name))));
            process->setProcessEnvironment(env);
            process->setProcessChannelMode(QProcess::ForwardedChannels);
            process->start(QCoreApplication::applicationFilePath(), {});
            benches.push_back(std::move(process));
        }
        for (const auto& process : benches) {
            QVERIFY(process->waitForFinished(150000));
            QCOMPARE(process->exitCode(), 0);
        }
        QCOMPARE(serverCount(), QStringLiteral("3000 3000"));
        for (const char* name : {"A", "B", "C"}) {
            SqliteRecordStore copy;
            QVERIFY(copy.open(dir.filePath(QString::fromLatin1(name))));
            QCOMPARE(assetsIn(copy),
                     QStringList({"A 1000 0.013499", "B 1000 0.013499", "C 1000 0.013499"}));
        }
    }

    // The program's own windows with a team server: the Records window says the server's
    // state, lists another bench's record as it arrives, with its bench; the Record box takes
    // that record as the asset's previous one and says whether its own reached the server.
    // A name too long for one line has its middle left out there, never the team's line.
    void windows_data() {
        // server reachable, asset, what the Record box says under the record
        columns<bool, QString, QString>();
        row("reachable", true, "J1",
            "Recorded under J1. +8,0 % since 2026-03-02\nRecorded (sent to the team server)");
        row("unreachable", false, "J1",
            "Recorded under J1. Its first record.\nRecorded on this computer; it will be sent "
            "when the team server can be reached");
        const QString longName =
            QStringLiteral("<i>Busbar joint A12 north of the transformer hall, floor 2</i>");
        row("a long name", false, longName,
            "Recorded under " + longName +
                ". Its first record.\nRecorded on this computer; it will be sent when the "
                "team server can be reached");
    }
    void windows() {
        const auto [reachable, asset, said] = fetched<bool, QString, QString>();
        QCOMPARE(QLocale().decimalPoint(), QStringLiteral(",")); // run in a German region
        CuttingProxy proxy;
        if (reachable)
            QVERIFY(proxy.up());
        QTemporaryDir dir;
        Records::setSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
        Records::setStorePath(dir.filePath(QStringLiteral("records.sqlite")));
        Records::setTeam(m_server->uri(proxy.port()));
        Bench other(QStringLiteral("Bench B"));
        QVERIFY(other.add(QStringLiteral("J1"), 1));
        other.start(m_server->uri());
        QTRY_COMPARE(other.state(), QStringLiteral("Team server: up to date"));

        RecordsWindow* window = Records::openWindow();
        QVERIFY(window);
        auto* state = window->findChild<QLabel*>(QStringLiteral("teamState"));
        QVERIFY(state);
        if (reachable) {
            QTRY_COMPARE(state->text(), QStringLiteral("Team server: up to date"));
            QTRY_COMPARE(window->assets->rowCount(), 1);
            window->assets->setCurrentCell(0, 0);
            QCOMPARE(window->history->item(0, Records::BenchColumn)->text(),
                     QStringLiteral("Bench B"));
        } else {
            QTRY_VERIFY(state->text().startsWith(QStringLiteral("Team server: unreachable since")));
        }

        RecordBox box;
        Reading reading;
        reading.time =
            QDateTime(QDate(2026, 3, 3), QTime(9, 0), QTimeZone(3600)).toMSecsSinceEpoch();
        reading.rx = 0.0125 * 1.08;
        box.show();
        box.readingShown(reading, {}, true);
        box.asset->setText(asset);
        box.operatorName->setText(QStringLiteral("Ann"));
        QVERIFY(box.record());
        QTRY_COMPARE(shownToolTip(box.status->toolTip()), said);
        const QStringList shown = box.status->text().split('\n');
        QCOMPARE(shown.value(1), said.section('\n', 1));
        QVERIFY(box.status->fontMetrics().horizontalAdvance(shown[0]) <=
                box.status->contentsRect().width());
        QCOMPARE(shown[0] == said.section('\n', 0, 0), asset.size() < 10);
        if (reachable) {
            QCOMPARE(serverCount(), QStringLiteral("2 2"));
            QTRY_COMPARE(other.count(), 2);
        }
        Records::closeStore();
        Records::setTeam(QString());
    }

private:
    // The server's records and its distinct ids.
    QString serverCount() const {
        return m_server
            ->admin(QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT id) "
                                   "FROM records"))
            .toString();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Run as one of three benches by the test itself.
    if (qEnvironmentVariableIsSet("TEAM_BENCH")) {
        const QStringList a = qEnvironmentVariable("TEAM_BENCH").split(QLatin1Char(' '));
        return runBench(a.value(0), a.value(1), a.value(2), a.value(3).toInt(), a.value(4).toInt());
    }
    TeamSyncTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_team_sync.moc"
