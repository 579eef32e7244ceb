// The records store on temporary files: records kept whole and verbatim, found by asset and
// ordered by their moment, a first-layout file upgraded, a record that survives the program
// being killed right after it was reported kept, and clear texts for files that are not a
// store, a read-only, a locked and a full store.
#include "Table.h"
#include "records/RecordLogic.h"
#include "records/SqliteRecordStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using Records::AssetSummary;
using Records::Record;
using Records::SqliteRecordStore;

namespace {

const QString kInjection = QStringLiteral("x'); DROP TABLE records;--");

Record recordAt(const QString& asset, const QString& isoTime, double rx,
                double rtc = Records::kNone) {
    Record record;
    record.time = QDateTime::fromString(isoTime, Qt::ISODateWithMs);
    record.asset = asset;
    record.operatorName = QStringLiteral("Ann");
    record.rx = rx;
    record.rtc = rtc;
    record.meter = {"Norvale", "MX7500", "MX75-000123", "1.04"};
    record.programVersion = QStringLiteral("1.00");
    return record;
}

// A connection of the test's own on a store file, outside the store.
class RawFile {
public:
    explicit RawFile(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawFile() {
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }
    QSqlQuery run(const QString& sql) const {
        QSqlQuery query(QSqlDatabase::database(kName, false));
        if (!query.exec(sql))
            qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        query.next();
        return query;
    }
    QVariant value(const QString& sql) const { return run(sql).value(0); }

private:
    inline static const QString kName = QStringLiteral("test-raw");
};

// A small file system of its own (tmpfs), which only root may mount; gone at the end.
class SmallDisk {
public:
    SmallDisk(const QString& folder, const QByteArray& size) : m_folder(folder.toLocal8Bit()) {
        m_mounted =
            ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, ("size=" + size).constData()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) ==
               0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

QStringList assetNames(SqliteRecordStore& store, const QString& text) {
    std::vector<AssetSummary> assets;
    if (!store.assets(text, assets))
        return {store.errorText()};
    QStringList names;
    for (const AssetSummary& asset : assets)
        names << QStringLiteral("%1 %2").arg(asset.last.asset).arg(asset.count);
    return names;
}

QStringList historyTimes(SqliteRecordStore& store, const QString& asset) {
    std::vector<Record> records;
    if (!store.history(asset, records))
        return {store.errorText()};
    QStringList times;
    for (const Record& record : records)
        times << record.time.toString(Qt::ISODateWithMs);
    return times;
}

} // namespace

class RecordStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    QString path(const QString& name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init() { m_dir = new QTemporaryDir; }
    void cleanup() { delete m_dir; }

    // Every field back as it went in, an asset named like an injection kept as its text,
    // no value kept as none, after the store was closed and opened again.
    void keptWhole() {
        {
            SqliteRecordStore store;
            QVERIFY2(store.open(path("sub/records.sqlite")), qPrintable(store.errorText()));
            Record first = recordAt(kInjection, "2026-03-02T10:30:00.123+01:00", 0.0125, 0.0124);
            first.note = QStringLiteral("after re-torque; 'quoted'");
            first.temperature = 23.5;
            first.tempco = 0.004;
            first.material = QStringLiteral("Copper");
            first.limits = {Limits::Mode::Tolerance, 0.0125, 2.0, 0, 0};
            first.verdict = Limits::Verdict::Pass;
            Record second = recordAt(QStringLiteral("J2"), "2026-03-02T10:31:00.000+01:00", 0.02);
            second.limits = {Limits::Mode::Window, 0, 0, 0.021, 0.022};
            second.verdict = Limits::Verdict::Low;
            QVERIFY(store.add(first));
            QVERIFY(store.add(second));
            QCOMPARE_GT(second.id, first.id);
        }
        SqliteRecordStore store;
        QVERIFY2(store.open(path("sub/records.sqlite")), qPrintable(store.errorText()));
        std::vector<Record> records;
        QVERIFY(store.history(kInjection, records));
        QCOMPARE(records.size(), size_t(1));
        const Record& r = records[0];
        QCOMPARE(r.asset, kInjection);
        QCOMPARE(Records::isoTime(r.time), QStringLiteral("2026-03-02T10:30:00.123+01:00"));
        QCOMPARE(QStringList({r.operatorName, r.note, r.material, r.meter.maker, r.meter.model,
                              r.meter.serial, r.meter.firmware, r.programVersion}),
                 QStringList({"Ann", "after re-torque; 'quoted'", "Copper", "Norvale", "MX7500",
                              "MX75-000123", "1.04", "1.00"}));
        QCOMPARE(QList<double>({r.rx, r.rtc, r.temperature, r.tempco, r.limits.nominal,
                                r.limits.tolerancePercent}),
                 QList<double>({0.0125, 0.0124, 23.5, 0.004, 0.0125, 2.0}));
        QCOMPARE(r.limits.mode, Limits::Mode::Tolerance);
        QCOMPARE(r.verdict, Limits::Verdict::Pass);
        QVERIFY(store.history(QStringLiteral("J2"), records));
        QVERIFY(std::isnan(records[0].rtc) && std::isnan(records[0].temperature));
        QCOMPARE(records[0].limits.mode, Limits::Mode::Window);
        QCOMPARE(records[0].limits.low, 0.021);
        QCOMPARE(records[0].verdict, Limits::Verdict::Low);
        QCOMPARE(assetNames(store, QString()), QStringList({"J2 1", kInjection + " 1"}));
    }

    // Assets whose name contains the text, any case, its wildcards taken as characters; each
    // with its latest record by moment, which text order of times with different offsets
    // would get wrong (the night summer time ends: 02:30+02:00 came before 02:10+01:00).
    void foundByAsset_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        row("all", "", "busbar 2|Joint_7 1|Motor 100% 1");
        row("any case", "BUS", "busbar 2");
        row("a percent sign is a percent sign", "%", "Motor 100% 1");
        row("an underscore is an underscore", "t_", "Joint_7 1");
        row("nothing", "zz", "");
    }
    void foundByAsset() {
        QFETCH(QString, text);
        QFETCH(QString, found);
        SqliteRecordStore store;
        QVERIFY(store.open(path("records.sqlite")));
        for (Record record : {recordAt("busbar", "2026-10-25T02:30:00.000+02:00", 0.010),
                              recordAt("busbar", "2026-10-25T02:10:00.000+01:00", 0.011),
                              recordAt("Motor 100%", "2026-10-25T03:00:00.000+01:00", 0.5),
                              recordAt("Joint_7", "2026-10-25T03:00:00.000+01:00", 0.5)})
            QVERIFY2(store.add(record), qPrintable(store.errorText()));
        QCOMPARE(assetNames(store, text).join('|'), found);
        std::vector<AssetSummary> assets;
        QVERIFY(store.assets(QStringLiteral("busbar"), assets));
        QCOMPARE(assets.at(0).last.rx, 0.011);
        std::optional<Record> latest;
        QVERIFY(store.latest(QStringLiteral("busbar"), latest));
        QCOMPARE(latest->rx, 0.011);
        QCOMPARE(historyTimes(store, "busbar"),
                 QStringList({"2026-10-25T02:30:00.000+02:00", "2026-10-25T02:10:00.000+01:00"}));
        QVERIFY(store.latest(QStringLiteral("BUSBAR"), latest));
        QVERIFY(!latest); // an asset is named exactly
    }

    // A file of the first layout, made here as that version made it, is upgraded in place:
    // its records kept and ordered by their moment.
    void upgradedFromLayout1() {
        const QString file = path("old.sqlite");
        {
            RawFile raw(file);
            raw.run(
                QStringLiteral("PRAGMA application_id=%1").arg(SqliteRecordStore::kApplicationId));
            raw.run(
                "CREATE TABLE records (id INTEGER PRIMARY KEY, time TEXT NOT NULL, asset TEXT "
                "NOT NULL, operator TEXT NOT NULL, note TEXT NOT NULL, rx REAL, rtc REAL, "
                "temperature REAL, tempco REAL, material TEXT NOT NULL, limits_mode TEXT NOT "
                "NULL, nominal REAL, tolerance REAL, low REAL, high REAL, verdict TEXT NOT NULL, "
                "meter_maker TEXT NOT NULL, meter_model TEXT NOT NULL, meter_serial TEXT NOT "
                "NULL, meter_firmware TEXT NOT NULL, program_version TEXT NOT NULL)");
            raw.run("CREATE INDEX records_by_asset ON records(asset, time)");
            raw.run("INSERT INTO records VALUES (1, '2026-10-25T02:30:00.250+02:00', 'J1', 'Ann', "
                    "'', 0.010, NULL, NULL, NULL, '', 'off', 0, 0, 0, 0, '', 'Norvale', 'MX7500', "
                    "'SN1', '1.04', '1.00')");
            raw.run("INSERT INTO records VALUES (2, '2026-10-25T02:10:00.000+01:00', 'J1', 'Bob', "
                    "'', 0.012, NULL, NULL, NULL, '', 'window', 0, 0, 0.01, 0.011, 'HIGH', "
                    "'Norvale', 'MX7500', 'SN1', '1.04', '1.00')");
            raw.run("PRAGMA user_version=1");
        }
        {
            SqliteRecordStore store;
            QVERIFY2(store.open(file), qPrintable(store.errorText()));
            std::vector<Record> records;
            QVERIFY(store.history(QStringLiteral("J1"), records));
            QCOMPARE(records.size(), size_t(2));
            QCOMPARE(records[0].operatorName, QStringLiteral("Ann"));
            QCOMPARE(records[1].verdict, Limits::Verdict::High);
            QCOMPARE(records[1].limits.high, 0.011);
            Record later = recordAt("J1", "2026-10-25T02:20:00.000+01:00", 0.013);
            QVERIFY(store.add(later));
            QCOMPARE(historyTimes(store, "J1").last(), "2026-10-25T02:20:00.000+01:00");
        }
        RawFile raw(file);
        QCOMPARE(raw.value("PRAGMA user_version").toInt(), SqliteRecordStore::kVersion);
        QCOMPARE(raw.value("SELECT time_ms FROM records WHERE id = 1").toLongLong(),
                 QDateTime::fromString("2026-10-25T00:30:00.250Z", Qt::ISODateWithMs)
                     .toMSecsSinceEpoch());
    }

    // Written ahead and synced at each commit, on the store's own connection.
    void journalSyncedAtEveryCommit() {
        SqliteRecordStore store;
        QVERIFY(store.open(path("records.sqlite")));
        QCOMPARE(QSqlDatabase::connectionNames().size(), 1);
        QSqlQuery query(QSqlDatabase::database(QSqlDatabase::connectionNames().constFirst()));
        QVERIFY(query.exec("PRAGMA journal_mode") && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(query.exec("PRAGMA synchronous") && query.next());
        QCOMPARE(query.value(0).toInt(), 2); // FULL
    }

    // A record reported kept is there after the program is killed the moment after.
    void survivesKill() {
        const QString file = path("records.sqlite");
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(ready[0]);
            SqliteRecordStore store;
            Record record = recordAt("J1", "2026-03-02T10:30:00.000+01:00", 0.0125);
            if (store.open(file) && store.add(record))
                (void)!::write(ready[1], "k", 1);
            ::kill(::getpid(), SIGKILL);
            ::_exit(1);
        }
        ::close(ready[1]);
        char answer = 0;
        const bool added = ::read(ready[0], &answer, 1) == 1;
        ::close(ready[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(added);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        SqliteRecordStore store;
        QVERIFY2(store.open(file), qPrintable(store.errorText()));
        QCOMPARE(historyTimes(store, "J1"), QStringList("2026-03-02T10:30:00.000+01:00"));
    }

    // Files that are no store are refused with a text saying so, and left as they were.
    void notAStore_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        row("text file", "text",
            "%1 is not a records store (it is not a database). Name another "
            "file with --records, or move this one away.");
        row("another program's database", "other",
            "%1 is a database of another program, not a records store. Name another file with "
            "--records.");
        row("a newer layout", "newer",
            "The records store %1 was written by a newer version of this program (layout 9; this "
            "one knows up to 2). It is left as it is.");
    }
    void notAStore() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString file = path("file");
        if (kind == "text") {
            QFile text(file);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(QByteArray(8192, 'x'));
        } else {
            RawFile raw(file);
            raw.run("CREATE TABLE parts (name TEXT)");
            if (kind == "newer") {
                raw.run(QStringLiteral("PRAGMA application_id=%1")
                            .arg(SqliteRecordStore::kApplicationId));
                raw.run("PRAGMA user_version=9");
            }
        }
        const QByteArray before = [&] {
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        SqliteRecordStore store;
        QVERIFY(!store.open(file));
        QCOMPARE(store.errorText(), message.arg(file));
        Record record = recordAt("J1", "2026-03-02T10:30:00.000+01:00", 0.0125);
        QVERIFY(!store.add(record));
        QFile after(file);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }

    // Another program writing to the store: waited for a moment, then a clear refusal.
    void locked() {
        const QString file = path("records.sqlite");
        SqliteRecordStore store;
        QVERIFY(store.open(file));
        RawFile raw(file);
        raw.run("BEGIN IMMEDIATE");
        Record record = recordAt("J1", "2026-03-02T10:30:00.000+01:00", 0.0125);
        QVERIFY(!store.add(record));
        QCOMPARE(store.errorText(),
                 QStringLiteral("The records store %1 is locked by another program. Record again "
                                "once that program has finished with it.")
                     .arg(file));
        raw.run("ROLLBACK");
        QVERIFY(store.add(record));
    }

    // A store on a disk that fills up: the record that does not fit is refused as such, and
    // every record reported kept before it is there afterwards.
    void fullDisk() {
        SmallDisk disk(m_dir->path(), "400k");
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const QString file = path("records.sqlite");
        int kept = 0;
        {
            SqliteRecordStore store;
            QVERIFY2(store.open(file), qPrintable(store.errorText()));
            Record record = recordAt("J1", "2026-03-02T10:30:00.000+01:00", 0.0125);
            record.note = QString(1000, QLatin1Char('n'));
            while (kept < 1000 && store.add(record))
                ++kept;
            QVERIFY2(kept > 0 && kept < 1000, qPrintable(QString::number(kept)));
            QCOMPARE(store.errorText(), QStringLiteral("The disk holding the records store %1 "
                                                       "is full. Make room on it and record again.")
                                            .arg(file));
        }
        SqliteRecordStore store;
        QVERIFY2(store.open(file), qPrintable(store.errorText()));
        QCOMPARE(historyTimes(store, "J1").size(), kept);
    }

    // A store on a read-only disk (or, without root, a read-only file in a read-only folder)
    // records nothing and says why.
    void readOnly() {
        const QString file = path("records.sqlite");
        SmallDisk disk(m_dir->path(), "1m");
        {
            SqliteRecordStore store;
            QVERIFY(store.open(file));
            Record record = recordAt("J1", "2026-03-02T10:30:00.000+01:00", 0.0125);
            QVERIFY2(store.add(record), qPrintable(store.errorText()));
        }
        if (disk.mounted()) {
            QVERIFY(disk.makeReadOnly());
        } else {
            QFile::setPermissions(file, QFileDevice::ReadOwner);
            QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        SqliteRecordStore store;
        Record record = recordAt("J1", "2026-03-02T11:30:00.000+01:00", 0.0125);
        QVERIFY(!(store.open(file) && store.add(record)));
        QCOMPARE(store.errorText(),
                 QStringLiteral("The records store %1 is read-only, or its folder is: nothing can "
                                "be recorded in it. Make both writable, or name another file with "
                                "--records.")
                     .arg(file));
        if (!disk.mounted())
            QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "tst_record_store.moc"
