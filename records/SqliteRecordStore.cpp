// Test records in a SQLite file.
#include "records/SqliteRecordStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QUuid>
#include <QVariant>

#include <atomic>
#include <cmath>

namespace Records {

namespace {

// SQLite's primary result codes that the operator can do something about.
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADatabase = 26
};

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

// NaN is no value: stored as NULL, read back as NaN.
QVariant number(double value) {
    return std::isnan(value) ? QVariant(QMetaType::fromType<double>()) : QVariant(value);
}
// A text column is never NULL: an empty text is stored as one.
QVariant text(const QString& value) {
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}
double numberOf(const QVariant& value) {
    return value.isNull() ? kNone : value.toDouble();
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

// `text` inside a LIKE pattern, its wildcards taken literally.
QString likeContaining(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
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
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case NotADatabase:
        m_error = QStringLiteral("%1 is not a records store (it is not a database). Name "
                                 "another file with --records, or move this one away.")
                      .arg(file);
        break;
    case ReadOnly:
        m_error = QStringLiteral("The records store %1 is read-only, or its folder is: nothing "
                                 "can be recorded in it. Make both writable, or name another "
                                 "file with --records.")
                      .arg(file);
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

bool SqliteRecordStore::open(const QString& path) {
    m_path = path;
    m_open = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("Records cannot be kept: Qt's SQLite driver is not installed "
                                 "(Debian package libqt6sql6-sqlite).");
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("The folder %1 for the records store cannot be made.")
                      .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::contains(m_connection)
                              ? QSqlDatabase::database(m_connection, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.close();
        db.setDatabaseName(path);
        // Another program's write lock is waited for this long before the store gives up.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open())
            return fail(QStringLiteral("opening"), db.lastError());
    }
    m_open = prepareLayout();
    if (!m_open)
        QSqlDatabase::database(m_connection, false).close();
    return m_open;
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
        query.addBindValue(text(m_bench));
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
        text(record.asset),
        text(record.operatorName),
        text(record.note),
        number(record.rx),
        number(record.rtc),
        number(record.temperature),
        number(record.tempco),
        text(record.material),
        modeText(record.limits.mode),
        record.limits.nominal,
        record.limits.tolerancePercent,
        record.limits.low,
        record.limits.high,
        text(Limits::text(record.verdict)),
        int(record.stable),
        text(record.meter.maker),
        text(record.meter.model),
        text(record.meter.serial),
        text(record.meter.firmware),
        text(record.programVersion),
        record.uuid,
        text(record.bench),
    };
    for (const QVariant& value : values)
        query.addBindValue(value);
    // One statement is one transaction: committed, and synced, when exec() returns.
    if (!query.exec())
        return fail(QStringLiteral("recording"), query.lastError());
    record.id = query.lastInsertId().toLongLong();
    return true;
}

bool SqliteRecordStore::assets(const QString& text, std::vector<AssetSummary>& out) {
    out.clear();
    if (!m_open)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // Each asset's count and latest moment come from the index alone; only the record at that
    // moment is read from the table, the one kept last when several share it (as latest() and
    // history() have it). Reading every record of every listed asset instead made the list slow
    // to open with many records.
    query.prepare(QStringLiteral(
                      "SELECT %1, listed.count FROM (SELECT asset AS name, max(time_ms) AS latest, "
                      "count(*) AS count FROM records WHERE asset LIKE ? ESCAPE '\\' "
                      "GROUP BY asset) AS listed JOIN records ON records.id = (SELECT id FROM "
                      "records WHERE asset = listed.name AND time_ms = listed.latest "
                      "ORDER BY id DESC LIMIT 1) ORDER BY listed.name COLLATE NOCASE, listed.name")
                      .arg(kColumns));
    query.addBindValue(likeContaining(text));
    if (!query.exec())
        return fail(QStringLiteral("listing the assets"), query.lastError());
    const int countColumn = query.record().count() - 1;
    while (query.next())
        out.push_back({recordFrom(query), query.value(countColumn).toInt()});
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
