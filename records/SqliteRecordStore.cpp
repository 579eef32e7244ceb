// Test records in a SQLite file.
#include "records/SqliteRecordStore.h"

#include "records/RecordLogic.h"
#include "records/StoredValues.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStorageInfo>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace Records {

namespace {

// SQLite's primary result codes that the operator can do something about.
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADatabase = 26
};

// Less free space than this is a full disk to a store: SQLite wants room for its journal.
constexpr qint64 kFullBelowBytes = 256 * 1024;

// Every column of a record, in the order recordFrom() reads them.
const QString kColumns = QStringLiteral(
    "id, time, asset, operator, note, rx, rtc, temperature, tempco, material, limits_mode, "
    "nominal, tolerance, low, high, verdict, stable, meter_maker, meter_model, "
    "meter_serial, meter_firmware, program_version, uuid, bench");

// Layout 1: the records, found by asset and ordered by their time text.
const char* const kLayout1[] = {
    "CREATE TABLE records (id INTEGER PRIMARY KEY, time TEXT NOT NULL, asset TEXT NOT NULL, "
    "operator TEXT NOT NULL, note TEXT NOT NULL, rx REAL, rtc REAL, temperature REAL, "
    "tempco REAL, material TEXT NOT NULL, limits_mode TEXT NOT NULL, nominal REAL, "
    "tolerance REAL, low REAL, high REAL, verdict TEXT NOT NULL, meter_maker TEXT NOT NULL, "
    "meter_model TEXT NOT NULL, meter_serial TEXT NOT NULL, meter_firmware TEXT NOT NULL, "
    "program_version TEXT NOT NULL)",
    "CREATE INDEX records_by_asset ON records(asset, time)",
};

// Layout 2: times with different UTC offsets (either side of a change to summer time) do not
// sort as text, so each record also keeps its moment in milliseconds since the epoch, taken
// from the time text by SQLite's own date functions, and is ordered by that.
const char* const kUpgradeTo2[] = {
    "ALTER TABLE records ADD COLUMN time_ms INTEGER NOT NULL DEFAULT 0",
    "UPDATE records SET time_ms = "
    "CAST(round((julianday(time) - 2440587.5) * 86400000.0) AS INTEGER)",
    "DROP INDEX records_by_asset",
    "CREATE INDEX records_by_asset ON records(asset, time_ms)",
};

// Layout 3: whether the series had settled when the reading was taken. Records kept before
// there was a judgement of it are not marked.
const char* const kUpgradeTo3[] = {
    "ALTER TABLE records ADD COLUMN stable INTEGER NOT NULL DEFAULT 0",
};

// Layout 4: records shared with a team server. Each has a unique id, made where it was
// recorded (one is given to each record kept before, see giveIds()), and the bench that
// recorded it; `sent` marks what the team server holds, and `team` keeps, per server, the
// highest number of the server's records this copy holds.
const char* const kUpgradeTo4[] = {
    "ALTER TABLE records ADD COLUMN uuid TEXT",
    "ALTER TABLE records ADD COLUMN bench TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE records ADD COLUMN sent INTEGER NOT NULL DEFAULT 0",
    "CREATE TABLE team (server TEXT PRIMARY KEY, high_water INTEGER NOT NULL)",
};
const char* const kAfterIds4[] = {
    "CREATE UNIQUE INDEX records_by_uuid ON records(uuid)",
    "CREATE INDEX records_waiting ON records(id) WHERE sent = 0",
};

// Layout 5: each asset's count and newest record, kept up by the file itself as records come
// in (from this program, another on the same file, or the team's copy), so that listing the
// assets reads one row an asset, not every record. Among records of one moment the newest is
// the one kept last, as history() orders them.
const char* const kUpgradeTo5[] = {
    "CREATE TABLE assets (asset TEXT PRIMARY KEY, records INTEGER NOT NULL, "
    "latest_ms INTEGER NOT NULL, latest_id INTEGER NOT NULL)",
    "INSERT INTO assets SELECT asset, count(*), max(time_ms), 0 FROM records GROUP BY asset",
    "UPDATE assets SET latest_id = (SELECT max(id) FROM records WHERE "
    "records.asset = assets.asset AND records.time_ms = assets.latest_ms)",
    "CREATE TRIGGER assets_kept AFTER INSERT ON records BEGIN "
    "INSERT INTO assets VALUES (new.asset, 1, new.time_ms, new.id) ON CONFLICT (asset) DO "
    "UPDATE SET records = records + 1, latest_id = CASE WHEN excluded.latest_ms >= latest_ms "
    "THEN excluded.latest_id ELSE latest_id END, latest_ms = max(latest_ms, excluded.latest_ms); "
    "END",
};

QString modeText(Limits::Mode mode) {
    switch (mode) {
    case Limits::Mode::Tolerance:
        return QStringLiteral("tolerance");
    case Limits::Mode::Window:
        return QStringLiteral("window");
    case Limits::Mode::Off:
        break;
    }
    return QStringLiteral("off");
}

Limits::Mode modeOf(const QString& text) {
    if (text == QLatin1String("tolerance"))
        return Limits::Mode::Tolerance;
    if (text == QLatin1String("window"))
        return Limits::Mode::Window;
    return Limits::Mode::Off;
}

Limits::Verdict verdictOf(const QString& text) {
    for (Limits::Verdict verdict :
         {Limits::Verdict::Pass, Limits::Verdict::Low, Limits::Verdict::High}) {
        if (text == Limits::text(verdict))
            return verdict;
    }
    return Limits::Verdict::None;
}

Record recordFrom(const QSqlQuery& query) {
    Record record;
    int c = 0;
    record.id = query.value(c++).toLongLong();
    record.time = QDateTime::fromString(query.value(c++).toString(), Qt::ISODateWithMs);
    record.asset = query.value(c++).toString();
    record.operatorName = query.value(c++).toString();
    record.note = query.value(c++).toString();
    record.rx = numberOf(query.value(c++));
    record.rtc = numberOf(query.value(c++));
    record.temperature = numberOf(query.value(c++));
    record.tempco = numberOf(query.value(c++));
    record.material = query.value(c++).toString();
    record.limits.mode = modeOf(query.value(c++).toString());
    record.limits.nominal = query.value(c++).toDouble();
    record.limits.tolerancePercent = query.value(c++).toDouble();
    record.limits.low = query.value(c++).toDouble();
    record.limits.high = query.value(c++).toDouble();
    record.verdict = verdictOf(query.value(c++).toString());
    record.stable = query.value(c++).toInt() != 0;
    record.meter.maker = query.value(c++).toString();
    record.meter.model = query.value(c++).toString();
    record.meter.serial = query.value(c++).toString();
    record.meter.firmware = query.value(c++).toString();
    record.programVersion = query.value(c++).toString();
    record.uuid = query.value(c++).toString();
    record.bench = query.value(c++).toString();
    return record;
}

} // namespace

SqliteRecordStore::SqliteRecordStore() : m_bench(QSysInfo::machineHostName()) {
    static std::atomic<int> count{0};
    m_connection = QStringLiteral("records-%1").arg(++count);
}

SqliteRecordStore::~SqliteRecordStore() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

bool SqliteRecordStore::fail(const QString& doing, const QSqlError& error) {
    const QString file = QDir::toNativeSeparators(m_path);
    const QString detail =
        error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    // The primary code: a store in a read-only folder, say, is "read-only" (SQLite says which
    // part is, in the extended code's upper bits).
    const int code = error.nativeErrorCode().toInt() & 0xff;
    m_readOnlyFailure = code == ReadOnly || code == CantOpen;
    // SQLite says "disk I/O error" when the journal's shared-memory file cannot grow on a
    // full disk: the free space tells.
    const bool diskFull =
        code == Full ||
        (code == IoError &&
         QStorageInfo(QFileInfo(m_path).absolutePath()).bytesAvailable() < kFullBelowBytes);
    switch (diskFull ? int(Full) : code) {
    case NotADatabase:
        m_error = QStringLiteral("%1 is not a records store (it is not a database). Name "
                                 "another file with --records, or move this one away.")
                      .arg(file);
        break;
    case ReadOnly:
        m_error = readOnlyText();
        break;
    case Full:
        m_error = QStringLiteral("The disk holding the records store %1 is full. Make room on "
                                 "it and record again.")
                      .arg(file);
        break;
    case Busy:
    case Locked:
        m_error = QStringLiteral("The records store %1 is locked by another program. Record "
                                 "again once that program has finished with it.")
                      .arg(file);
        break;
    case Corrupt:
        m_error = QStringLiteral("The records store %1 is damaged (%2).").arg(file, detail);
        break;
    case CantOpen:
        m_error = QStringLiteral("The records store %1 cannot be opened (%2). Check that its "
                                 "folder exists and may be written to.")
                      .arg(file, detail);
        break;
    default:
        m_error =
            QStringLiteral("The records store %1 failed while %2: %3").arg(file, doing, detail);
    }
    return false;
}

QString SqliteRecordStore::readOnlyText() const {
    return QStringLiteral("The records store %1 is read-only, or its folder is: nothing can be "
                          "recorded in it. Make both writable, or name another file with "
                          "--records.")
        .arg(QDir::toNativeSeparators(m_path));
}

bool SqliteRecordStore::open(const QString& path) {
    m_path = path;
    m_open = false;
    m_readOnly = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("Records cannot be kept: Qt's SQLite driver is not installed "
                                 "(Debian package libqt6sql6-sqlite).");
        return false;
    }
    const QFileInfo file(path);
    if (file.isDir()) {
        m_error = QStringLiteral("%1 is a folder, not a records store. Name a file with "
                                 "--records, such as %2.")
                      .arg(QDir::toNativeSeparators(path),
                           QDir::toNativeSeparators(QDir(path).filePath("records.sqlite")));
        return false;
    }
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("The folder %1 for the records store cannot be made.")
                      .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // What this open makes, it takes away again when it fails: no other program can be using
    // files that were not there.
    QStringList made;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (!QFileInfo::exists(path + QLatin1String(suffix)))
            made << path + QLatin1String(suffix);
    }
    const bool writable = made.contains(path) ? QFileInfo(folder).isWritable()
                                              : file.isWritable() && QFileInfo(folder).isWritable();
    // A store that may not be written (a read-only file system, say) can still be read: to
    // the journal's shared memory if that can be made, else as a file nobody changes.
    std::vector<Access> tries = {Access::ReadWrite, Access::ReadOnly, Access::Unchanging};
    if (!writable)
        tries.erase(tries.begin());
    QString why;
    for (Access access : tries) {
        m_open = openAs(access);
        if (why.isEmpty())
            why = m_error;
        if (m_open || !m_readOnlyFailure)
            break;
    }
    if (!m_open && m_readOnlyFailure)
        m_error = why;
    if (!m_open) {
        QSqlDatabase::database(m_connection, false).close();
        for (const QString& name : std::as_const(made))
            QFile::remove(name);
    }
    return m_open;
}

bool SqliteRecordStore::openAs(Access access) {
    m_readOnly = access != Access::ReadWrite;
    m_readOnlyFailure = false;
    {
        QSqlDatabase db = QSqlDatabase::contains(m_connection)
                              ? QSqlDatabase::database(m_connection, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.close();
        // Another program's write lock is waited for this long before the store gives up.
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000");
        if (access == Access::Unchanging) {
            db.setDatabaseName(QUrl::fromLocalFile(m_path).toString(QUrl::FullyEncoded) +
                               QStringLiteral("?immutable=1"));
            options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
        } else {
            db.setDatabaseName(m_path);
            if (m_readOnly)
                options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        }
        db.setConnectOptions(options);
        if (!db.open())
            return fail(QStringLiteral("opening"), db.lastError());
    }
    if (prepareLayout())
        return true;
    QSqlDatabase::database(m_connection, false).close();
    return false;
}

bool SqliteRecordStore::prepareLayout() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    const auto single = [&](const QString& sql) -> std::optional<QVariant> {
        if (!query.exec(sql) || !query.next())
            return std::nullopt;
        return query.value(0);
    };
    // Reading the header is where a file that is no database shows.
    const std::optional<QVariant> applicationId = single(QStringLiteral("PRAGMA application_id"));
    const std::optional<QVariant> version = single(QStringLiteral("PRAGMA user_version"));
    const std::optional<QVariant> objects =
        single(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!applicationId || !version || !objects)
        return fail(QStringLiteral("reading its header"), query.lastError());
    const bool fresh = objects->toInt() == 0 && version->toInt() == 0;
    if (!fresh && applicationId->toInt() != kApplicationId) {
        m_error = QStringLiteral("%1 is a database of another program, not a records store. "
                                 "Name another file with --records.")
                      .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    if (version->toInt() > kVersion) {
        m_error = QStringLiteral("The records store %1 was written by a newer version of this "
                                 "program (layout %2; this one knows up to %3). It is left as "
                                 "it is.")
                      .arg(QDir::toNativeSeparators(m_path))
                      .arg(version->toInt())
                      .arg(kVersion);
        return false;
    }
    if (m_readOnly) {
        if (version->toInt() == kVersion)
            return true;
        m_error = QStringLiteral("The records store %1 is of an earlier layout and read-only: "
                                 "it cannot be brought up to date to be read. Make it and its "
                                 "folder writable, or name another file with --records.")
                      .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    // A record reported as kept is in the journal on the disk: written ahead, synced at
    // every commit.
    const std::optional<QVariant> journal = single(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!journal)
        return fail(QStringLiteral("setting up its journal"), query.lastError());
    if (journal->toString() != QLatin1String("wal")) {
        m_error = QStringLiteral("The records store %1 cannot keep a journal beside it (it "
                                 "stays in \"%2\" mode); records would not be safe. Check that "
                                 "its folder may be written to.")
                      .arg(QDir::toNativeSeparators(m_path), journal->toString());
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return fail(QStringLiteral("setting up its journal"), query.lastError());
    if (version->toInt() == kVersion)
        return true;

    // Created or upgraded in one transaction: a failure leaves the file as it was.
    if (!db.transaction())
        return fail(QStringLiteral("preparing its layout"), db.lastError());
    QStringList steps;
    if (fresh) {
        steps << QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId);
        for (const char* sql : kLayout1)
            steps << QString::fromLatin1(sql);
    }
    if (version->toInt() < 2) {
        for (const char* sql : kUpgradeTo2)
            steps << QString::fromLatin1(sql);
    }
    if (version->toInt() < 3) {
        for (const char* sql : kUpgradeTo3)
            steps << QString::fromLatin1(sql);
    }
    if (version->toInt() < 4) {
        for (const char* sql : kUpgradeTo4)
            steps << QString::fromLatin1(sql);
    }
    if (version->toInt() < 5) {
        for (const char* sql : kUpgradeTo5)
            steps << QString::fromLatin1(sql);
    }
    const auto run = [&](const QStringList& statements) {
        for (const QString& sql : statements) {
            if (!query.exec(sql))
                return false;
        }
        return true;
    };
    QStringList after;
    if (version->toInt() < 4) {
        for (const char* sql : kAfterIds4)
            after << QString::fromLatin1(sql);
    }
    after << QStringLiteral("PRAGMA user_version=%1").arg(kVersion);
    if (!run(steps) || !giveIds(query) || !run(after)) {
        const QSqlError error = query.lastError();
        db.rollback();
        return fail(QStringLiteral("preparing its layout"), error);
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        return fail(QStringLiteral("preparing its layout"), error);
    }
    return true;
}

bool SqliteRecordStore::giveIds(QSqlQuery& query) {
    std::vector<qint64> ids;
    if (!query.exec(QStringLiteral("SELECT id FROM records WHERE uuid IS NULL")))
        return false;
    while (query.next())
        ids.push_back(query.value(0).toLongLong());
    if (!query.prepare(QStringLiteral("UPDATE records SET uuid = ?, bench = ? WHERE id = ?")))
        return false;
    for (const qint64 id : ids) {
        query.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        query.addBindValue(storedText(m_bench));
        query.addBindValue(id);
        if (!query.exec())
            return false;
    }
    return true;
}

bool SqliteRecordStore::add(Record& record) {
    if (!m_open) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The records store is not open.");
        return false;
    }
    if (m_readOnly) {
        m_error = readOnlyText();
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "INSERT INTO records (time, time_ms, asset, operator, note, rx, rtc, temperature, "
        "tempco, material, limits_mode, nominal, tolerance, low, high, verdict, stable, "
        "meter_maker, meter_model, meter_serial, meter_firmware, program_version, uuid, bench) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (record.uuid.isEmpty())
        record.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (record.bench.isEmpty())
        record.bench = m_bench;
    const QVariant values[] = {
        record.time.toString(Qt::ISODateWithMs),
        record.time.toMSecsSinceEpoch(),
        storedText(record.asset),
        storedText(record.operatorName),
        storedText(record.note),
        storedNumber(record.rx),
        storedNumber(record.rtc),
        storedNumber(record.temperature),
        storedNumber(record.tempco),
        storedText(record.material),
        modeText(record.limits.mode),
        record.limits.nominal,
        record.limits.tolerancePercent,
        record.limits.low,
        record.limits.high,
        storedText(Limits::text(record.verdict)),
        int(record.stable),
        storedText(record.meter.maker),
        storedText(record.meter.model),
        storedText(record.meter.serial),
        storedText(record.meter.firmware),
        storedText(record.programVersion),
        record.uuid,
        storedText(record.bench),
    };
    for (const QVariant& value : values)
        query.addBindValue(value);
    // One statement is one transaction: committed, and synced, when exec() returns. The
    // connection's own commits leave SQLite's data version as it was.
    m_listed = false;
    if (!query.exec())
        return fail(QStringLiteral("recording"), query.lastError());
    record.id = query.lastInsertId().toLongLong();
    return true;
}

bool SqliteRecordStore::assets(const QString& text, std::vector<AssetSummary>& out) {
    out.clear();
    if (!m_open)
        return false;
    if (!listAll())
        return false;
    // SQLite's own LIKE and NOCASE know the case of Latin letters only, so the names are
    // matched and ordered here.
    for (const AssetSummary& asset : m_listing) {
        if (nameContains(asset.last.asset, text))
            out.push_back(asset);
    }
    return true;
}

bool SqliteRecordStore::listAll() {
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // The listing stays while nothing is committed: this connection's own records clear it,
    // and SQLite's data version tells of every other connection's (another program on the
    // file, the team's copy).
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
        return fail(QStringLiteral("listing the assets"), query.lastError());
    const qint64 version = query.value(0).toLongLong();
    query.finish();
    if (m_listed && version == m_listedVersion)
        return true;
    m_listed = false;
    m_listing.clear();
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT records.%1, assets.records FROM assets JOIN records "
                           "ON records.id = assets.latest_id")
                .arg(QString(kColumns).replace(QLatin1String(", "), QLatin1String(", records.")))))
        return fail(QStringLiteral("listing the assets"), query.lastError());
    const int counted = int(kColumns.count(QLatin1Char(','))) + 1;
    std::vector<AssetSummary> listed;
    std::vector<QString> names;
    while (query.next()) {
        listed.push_back({recordFrom(query), query.value(counted).toInt()});
        names.push_back(listed.back().last.asset);
    }
    m_listing.reserve(listed.size());
    for (const size_t at : nameOrder(names))
        m_listing.push_back(std::move(listed[at]));
    m_listedVersion = version;
    m_listed = true;
    return true;
}

bool SqliteRecordStore::history(const QString& asset, std::vector<Record>& out) {
    out.clear();
    if (!m_open)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM records WHERE asset = ? ORDER BY time_ms, id")
                      .arg(kColumns));
    query.addBindValue(asset);
    if (!query.exec())
        return fail(QStringLiteral("reading the history of %1").arg(asset), query.lastError());
    while (query.next())
        out.push_back(recordFrom(query));
    return true;
}

bool SqliteRecordStore::latest(const QString& asset, std::optional<Record>& out) {
    out.reset();
    if (!m_open)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM records WHERE asset = ? "
                                 "ORDER BY time_ms DESC, id DESC LIMIT 1")
                      .arg(kColumns));
    query.addBindValue(asset);
    if (!query.exec())
        return fail(QStringLiteral("reading the last record of %1").arg(asset), query.lastError());
    if (query.next())
        out = recordFrom(query);
    return true;
}

} // namespace Records
