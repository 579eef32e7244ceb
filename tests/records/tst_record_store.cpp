// The records store on temporary files: records kept whole and verbatim, found by asset and
// ordered by their moment, a first-layout file upgraded, a record that survives the program
// being killed right after it was reported kept, and clear texts for files that are not a
// store, a read-only and a full store.
#include "KilledChild.h"
#include "RecordSamples.h"
#include "Sql.h"
#include "Table.h"

#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <numeric>
#include <sys/mount.h>
#include <tuple>
#include <unistd.h>

using Records::Record;
using Records::SqliteRecordStore;

class RecordStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    bool m_mounted = false;
    QString path(const QString& name = QStringLiteral("records.sqlite")) const {
        return m_dir->filePath(name);
    }
    // A small file system on the test's folder, where one may be mounted.
    bool mount(const char* size) {
        return m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir->path()).constData(), "tmpfs",
                                   0, size) == 0;
    }
    QString fullText() const {
        return QStringLiteral("The disk holding the records store %1 is full. Make room on it and "
                              "record again.")
            .arg(path());
    }

private Q_SLOTS:
    void init() { m_dir = new QTemporaryDir; }
    void cleanup() {
        if (m_mounted)
            ::umount2(m_dir->path().toLocal8Bit().constData(), MNT_DETACH);
        delete m_dir;
    }

    // Every field back as it went in, an asset named like an injection kept as its text, no
    // value kept as none, after the store was closed and opened again.
    void keptWhole() {
        Record first = fullRecord();
        Record second = recordAt(QStringLiteral("J2"), "2026-03-02T10:31:00.000+01:00", 0.02);
        std::tie(second.limits, second.verdict) = std::tuple(
            Limits::Settings{Limits::Mode::Window, 0, 0, 0.021, 0.022}, Limits::Verdict::Low);
        {
            SqliteRecordStore store;
            QVERIFY2(store.open(path("sub/records.sqlite")), qPrintable(store.errorText()));
            QVERIFY(store.add(first) && store.add(second));
        }
        SqliteRecordStore store;
        QVERIFY2(store.open(path("sub/records.sqlite")), qPrintable(store.errorText()));
        for (const Record& r : {first, second}) {
            std::vector<Record> records;
            QVERIFY(store.history(r.asset, records) && records.size() == 1);
            QCOMPARE(fields(records[0]), fields(r));
        }
    }

    // Assets whose name contains the text, any case of any letter, in alphabetical order (Ö
    // among the O's), its wildcards taken as characters; each
    // with its latest record by moment, which text order of times with different offsets
    // would get wrong (the night summer time ends: 02:30+02:00 came before 02:10+01:00), and of
    // two records of one moment the one kept last.
    void foundByAsset_data() {
        // text, found
        columns<QString, QString>();
        row("all, in alphabetical order", "",
            "busbar 2 0.011|Joint_7 1 0.5|Motor 100% 2 0.6|Ölweiche 1 0.7|Umspanner 1 0.8");
        row("any case", "BUS", "busbar 2 0.011");
        row("any case of any letter", "ölw", "Ölweiche 1 0.7");
        row("a percent sign is a percent sign", "%", "Motor 100% 2 0.6");
        row("an underscore is an underscore", "t_", "Joint_7 1 0.5");
        row("nothing", "zz", "");
    }
    void foundByAsset() {
        const auto [text, found] = fetched<QString, QString>();
        // Every other record comes from another connection (another program on the file, the
        // team's copy): the listing, read after each, follows both.
        SqliteRecordStore store, other;
        QVERIFY(store.open(path()) && other.open(path()));
        int added = 0;
        for (Record record : {recordAt("busbar", "2026-10-25T02:30:00.000+02:00", 0.010),
                              recordAt("busbar", "2026-10-25T02:10:00.000+01:00", 0.011),
                              recordAt("Motor 100%", "2026-10-25T03:00:00.000+01:00", 0.5),
                              recordAt("Motor 100%", "2026-10-25T03:00:00.000+01:00", 0.6),
                              recordAt("Joint_7", "2026-10-25T03:00:00.000+01:00", 0.5),
                              recordAt("Umspanner", "2026-10-25T03:00:00.000+01:00", 0.8),
                              recordAt("Ölweiche", "2026-10-25T03:00:00.000+01:00", 0.7)}) {
            QVERIFY2((added % 2 ? store : other).add(record), qPrintable(store.errorText()));
            std::vector<Records::AssetSummary> assets;
            QVERIFY(store.assets(QString(), assets));
            QCOMPARE(std::accumulate(assets.begin(), assets.end(), 0,
                                     [](int n, const auto& asset) { return n + asset.count; }),
                     ++added);
        }
        QCOMPARE(assetsIn(store, text).join('|'), found);
        std::optional<Record> latest;
        QVERIFY(store.latest(QStringLiteral("busbar"), latest) && latest->rx == 0.011);
        QCOMPARE(historyIn(path(), "busbar"),
                 QStringList({"2026-10-25T02:30:00.000+02:00", "2026-10-25T02:10:00.000+01:00"}));
    }

    // Files of the earlier layouts (a store taken back to them) are upgraded in place: their
    // records kept, ordered by their moment, not marked stable, each given its own unique id
    // and this computer as their bench, and waiting to be sent to a team server.
    void upgradedFromEarlierLayouts_data() {
        // back
        columns<QStringList>();
        const QStringList to4 = {"DROP TRIGGER assets_kept", "DROP TABLE assets",
                                 "PRAGMA user_version=4"};
        row("layout 4", to4);
        const QStringList to3 =
            to4 + QStringList{"DROP INDEX records_by_uuid",    "DROP INDEX records_waiting",
                              "ALTER TABLE records DROP uuid", "ALTER TABLE records DROP bench",
                              "ALTER TABLE records DROP sent", "DROP TABLE team",
                              "PRAGMA user_version=3"};
        row("layout 3", to3);
        const QStringList to2 =
            to3 + QStringList{"ALTER TABLE records DROP stable", "PRAGMA user_version=2"};
        row("layout 2", to2);
        row("layout 1",
            to2 + QStringList{"DROP INDEX records_by_asset", "ALTER TABLE records DROP time_ms",
                              "CREATE INDEX records_by_asset ON records(asset, time)",
                              "PRAGMA user_version=1"});
    }
    void upgradedFromEarlierLayouts() {
        const auto [back] = fetched<QStringList>();
        {
            SqliteRecordStore store;
            QVERIFY(store.open(path()));
            for (Record record : {recordAt("J1", "2026-10-25T02:30:00.250+02:00"),
                                  recordAt("J1", "2026-10-25T02:10:00.000+01:00"),
                                  recordAt("J2", "2026-10-25T02:10:00.000+01:00", 0.5),
                                  recordAt("J2", "2026-10-25T02:10:00.000+01:00", 0.6)})
                QVERIFY(store.add(record));
        }
        for (const QString& step : back)
            sql(step, path());
        QCOMPARE(historyIn(path(), "J1"),
                 QStringList({"2026-10-25T02:30:00.250+02:00", "2026-10-25T02:10:00.000+01:00"}));
        QCOMPARE(sql("PRAGMA user_version", path()).toInt(), SqliteRecordStore::kVersion);
        Record marked = recordAt("J1", "2026-10-25T03:00:00.000+01:00");
        marked.stable = true;
        SqliteRecordStore store;
        std::vector<Record> records;
        QVERIFY(store.open(path()));
        QCOMPARE(assetsIn(store).join('|'), QStringLiteral("J1 2 0.0125|J2 2 0.6"));
        QVERIFY(store.add(marked) && store.history("J1", records));
        QCOMPARE(
            QString("%1%2%3").arg(records[0].stable).arg(records[1].stable).arg(records[2].stable),
            QStringLiteral("001"));
        QCOMPARE(records[0].bench + records[1].bench, QSysInfo::machineHostName().repeated(2));
        QVERIFY(!QUuid::fromString(records[0].uuid).isNull());
        QVERIFY(!QUuid::fromString(records[1].uuid).isNull() && records[0].uuid != records[1].uuid);
        QCOMPARE(sql("SELECT count(*) FROM records WHERE sent = 0", path()).toInt(), 5);
    }

    // Written ahead and synced at each commit; a record reported kept is there after the
    // program is killed the moment after.
    void survivesKill() {
        {
            SqliteRecordStore store;
            QVERIFY(store.open(path()));
            QCOMPARE(sql("PRAGMA journal_mode").toString(), QStringLiteral("wal"));
            QCOMPARE(sql("PRAGMA synchronous").toInt(), 2); // FULL
        }
        QCOMPARE(inChild([this] { return recordIn(path()); }), QByteArray("recorded"));
        QCOMPARE(historyIn(path(), "J1"), QStringList("2026-03-02T10:30:00.000+01:00"));
    }

    // Files that are no store are refused with a text saying so, and left as they were.
    void notAStore_data() {
        // kind, message
        columns<QString, QString>();
        row("text file", "text",
            "%1 is not a records store (it is not a database). Name another "
            "file with --records, or move this one away.");
        row("another program's database", "other",
            "%1 is a database of another program, not a records store. Name another file with "
            "--records.");
        row("a folder", "folder",
            "%1 is a folder, not a records store. Name a file with --records, such as "
            "%1/records.sqlite.");
        // The next version's layout is as foreign as any later one.
        row("the next layout", "newer",
            "The records store %1 was written by a newer version of this program (layout " +
                QString::number(SqliteRecordStore::kVersion + 1) + "; this one knows up to " +
                QString::number(SqliteRecordStore::kVersion) + "). It is left as it is.");
    }
    void notAStore() {
        const auto [kind, message] = fetched<QString, QString>();
        const QString file = path("file");
        if (kind == "folder") {
            QVERIFY(QDir().mkdir(file));
        } else if (kind == "text") {
            QFile text(file);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray(8192, 'x')) == 8192);
        } else {
            sql("CREATE TABLE parts (name TEXT)", file);
            if (kind == "newer") {
                sql(QStringLiteral("PRAGMA application_id=%1")
                        .arg(SqliteRecordStore::kApplicationId),
                    file);
                sql(QStringLiteral("PRAGMA user_version=%1").arg(SqliteRecordStore::kVersion + 1),
                    file);
            }
        }
        const auto contents = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = contents();
        SqliteRecordStore store;
        QVERIFY(!store.open(file));
        QCOMPARE(store.errorText(), message.arg(file));
        Record record = recordAt("J1");
        QVERIFY(!store.add(record));
        QCOMPARE(contents(), before);
    }

    // A store on a disk that fills up: the record that does not fit is refused as such, and
    // every record reported kept before it is there afterwards. Where no file system may be
    // mounted, the store's file is capped instead.
    void fullDisk() {
        mount("size=400k");
        int kept = 0;
        {
            SqliteRecordStore store;
            QVERIFY2(store.open(path()), qPrintable(store.errorText()));
            if (!m_mounted)
                sql("PRAGMA max_page_count=100");
            Record record = recordAt("J1");
            record.note = QString(1000, QLatin1Char('n'));
            // Each one a record of its own.
            while (kept < 1000 && (record.uuid.clear(), store.add(record)))
                ++kept;
            QVERIFY2(kept > 0 && kept < 1000, qPrintable(QString::number(kept)));
            QCOMPARE(store.errorText(), fullText());
        }
        QCOMPARE(historyIn(path(), "J1").size(), kept);
    }

    // A disk already full when the store is first opened: said so, and nothing left behind.
    void fullDiskAtFirstOpen() {
        if (!mount("size=64k"))
            QSKIP("no file system may be mounted here");
        QFile filler(path("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
        }
        // Room for the store's first pages, not for its journal's shared memory: SQLite then
        // says "disk I/O error".
        filler.close();
        QVERIFY(QFile::resize(path("filler"), QFileInfo(path("filler")).size() - 3 * 4096));
        SqliteRecordStore store;
        QVERIFY(!store.open(path()));
        QCOMPARE(store.errorText(), fullText());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList("filler"));
    }

    // A store in a read-only folder, for a user other than root (who may write anywhere):
    // its records are read as ever, but nothing is recorded, and the operator is told why.
    void readOnly_data() {
        // the file read-only (its folder writable), else the folder
        columns<bool>();
        row("a read-only folder", false);
        row("a read-only file", true);
    }
    void readOnly() {
        const auto [file] = fetched<bool>();
        QCOMPARE(recordIn(path()), QByteArray("recorded"));
        const auto read = QFileDevice::ReadOwner | QFileDevice::ReadOther;
        const auto write = QFileDevice::WriteOwner | QFileDevice::WriteOther;
        QFile::setPermissions(path(), file ? read : read | write);
        QFile::setPermissions(m_dir->path(), read | QFileDevice::ExeOwner | QFileDevice::ExeOther |
                                                 (file ? write : QFileDevice::Permissions()));
        const QString text = QString::fromUtf8(inChild([this]() -> QByteArray {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return "still root";
            // Some chroots keep their root folder private: nobody there reaches no folder.
            if (::access(QFile::encodeName(m_dir->path()).constData(), X_OK) != 0)
                return "unreachable";
            return historyIn(path(), "J1").join(',').toUtf8() + '|' + recordIn(path());
        }));
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        if (text == QLatin1String("unreachable"))
            QSKIP("the unprivileged user cannot reach the test's folder on this system");
        QCOMPARE(text, QStringLiteral("2026-03-02T10:30:00.000+01:00|The records store %1 is "
                                      "read-only, or its folder is: "
                                      "nothing can be recorded in it. Make both writable, or name "
                                      "another file with --records.")
                           .arg(path()));
    }
};

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "tst_record_store.moc"
