// The records store, seen from the team sync's thread.
#include "records/TeamCopy.h"

#include "records/TeamColumns.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Records {

TeamCopy::TeamCopy(const QString& connectionName, const QString& server)
    : m_connection(connectionName), m_server(server) {
}

TeamCopy::~TeamCopy() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

bool TeamCopy::fail(const QString& doing) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    m_error =
        QStringLiteral("The records store failed while %1: %2").arg(doing, db.lastError().text());
    return false;
}

bool TeamCopy::open(const QString& path) {
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    // The program's own recording waits for this copy's short transactions, and this copy
    // for it.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return fail(QStringLiteral("opening"));
    return true;
}

bool TeamCopy::isOpen() const {
    return QSqlDatabase::contains(m_connection) &&
           QSqlDatabase::database(m_connection, false).isOpen();
}

bool TeamCopy::waiting(int limit, std::vector<Record>& out) {
    out.clear();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM records WHERE sent = 0 ORDER BY id LIMIT ?")
                      .arg(QString::fromLatin1(kTeamColumns)));
    query.addBindValue(limit);
    if (!query.exec())
        return fail(QStringLiteral("reading the records to send"));
    while (query.next())
        out.push_back(teamRecordAt(query));
    return true;
}

int TeamCopy::waitingCount() {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("SELECT count(*) FROM records WHERE sent = 0")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool TeamCopy::markSent(const std::vector<Record>& records) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(QStringLiteral("marking records sent"));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE records SET sent = 1 WHERE uuid = ?"));
    for (const Record& record : records) {
        query.addBindValue(record.uuid);
        if (!query.exec()) {
            db.rollback();
            return fail(QStringLiteral("marking records sent"));
        }
    }
    if (!db.commit()) {
        db.rollback();
        return fail(QStringLiteral("marking records sent"));
    }
    return true;
}

qint64 TeamCopy::highWater() {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT high_water FROM team WHERE server = ?"));
    query.addBindValue(m_server);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

bool TeamCopy::take(const std::vector<std::pair<qint64, Record>>& fetched) {
    if (fetched.empty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(QStringLiteral("keeping the team's records"));
    const QString columns = QString::fromLatin1(kTeamColumns);
    QStringList marks;
    for (int i = columns.count(QLatin1Char(',')); i >= 0; --i)
        marks << QStringLiteral("?");
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO records (%1, sent) VALUES (%2, 1) "
                                 "ON CONFLICT (uuid) DO UPDATE SET sent = 1")
                      .arg(columns, marks.join(QLatin1String(", "))));
    qint64 highest = 0;
    for (const auto& [seq, record] : fetched) {
        for (const QVariant& value : teamValues(record))
            query.addBindValue(value);
        if (!query.exec()) {
            db.rollback();
            return fail(QStringLiteral("keeping the team's records"));
        }
        highest = std::max(highest, seq);
    }
    QSqlQuery mark(db);
    mark.prepare(QStringLiteral("INSERT INTO team (server, high_water) VALUES (?, ?) "
                                "ON CONFLICT (server) DO UPDATE SET high_water = "
                                "max(high_water, excluded.high_water)"));
    mark.addBindValue(m_server);
    mark.addBindValue(highest);
    if (!mark.exec() || !db.commit()) {
        db.rollback();
        return fail(QStringLiteral("keeping the team's records"));
    }
    return true;
}

} // namespace Records
