// One connection to the team server.
#include "records/TeamServer.h"

#include "records/TeamColumns.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace Records {

TeamServer::TeamServer(const TeamUri& uri, const QString& connectionName)
    : m_uri(uri), m_connection(connectionName) {
}

TeamServer::~TeamServer() {
    close();
    QSqlDatabase::removeDatabase(m_connection);
}

void TeamServer::close() {
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
}

bool TeamServer::isOpen() const {
    return QSqlDatabase::contains(m_connection) &&
           QSqlDatabase::database(m_connection, false).isOpen();
}

QSqlDriver* TeamServer::driver() const {
    return QSqlDatabase::database(m_connection, false).driver();
}

bool TeamServer::fail(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    m_detail = text.trimmed();
    // libpq names most connection failures only in its message.
    const auto says = [&](const char* words) {
        return text.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    if (code == QLatin1String("28P01") || says("password authentication failed") ||
        says("no password supplied"))
        m_problem = Problem::Password;
    else if (says("no encryption"))
        m_problem = Problem::NeedsTls;
    else if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
             says("could not connect") || says("connection to server") ||
             says("server closed the connection") || says("no connection to the server") ||
             says("could not translate host name") || says("timeout expired") ||
             says("connection refused") || says("terminating connection"))
        m_problem = Problem::Unreachable;
    else
        m_problem = Problem::Refused;
    close();
    return false;
}

bool TeamServer::open(const QString& password) {
    m_problem = Problem::None;
    m_detail.clear();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_problem = Problem::Refused;
        m_detail = QStringLiteral("Qt's PostgreSQL driver is not installed (Debian package "
                                  "libqt6sql6-psql)");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    db.close();
    db.setHostName(m_uri.host);
    db.setPort(m_uri.port);
    db.setDatabaseName(m_uri.database);
    db.setUserName(m_uri.user);
    db.setPassword(password);
    // A server that does not answer is given up on soon, and tried again later: when
    // connecting, and when a connection goes silent (a network gone), so that the sync's
    // thread, and the program's exit waiting for it, is never held for long. The URI's own
    // settings win.
    QStringList options;
    if (!m_uri.options.isEmpty())
        options << m_uri.options;
    for (const char* setting : {"connect_timeout=5", "keepalives_idle=5", "keepalives_interval=2",
                                "keepalives_count=3", "tcp_user_timeout=10000"}) {
        const QString text = QString::fromLatin1(setting);
        if (!m_uri.options.contains(text.section(QLatin1Char('='), 0, 0) + QLatin1Char('=')))
            options << text;
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open())
        return fail(db.lastError());

    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('mx7500_schema') IS NOT NULL")) ||
        !query.next())
        return fail(query.lastError());
    if (!query.value(0).toBool()) {
        m_problem = Problem::NotSetUp;
        m_detail.clear();
        close();
        return false;
    }
    if (!query.exec(QStringLiteral("SELECT max(version) FROM mx7500_schema")) || !query.next())
        return fail(query.lastError());
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion) {
        m_problem = Problem::NewerSchema;
        m_detail = QString::number(version);
        close();
        return false;
    }
    return true;
}

bool TeamServer::send(const std::vector<Record>& records) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(db.lastError());
    // Many rows to a statement: one round trip to the server each, not one a record.
    constexpr size_t kRows = 100;
    const QString columns =
        QString::fromLatin1(kTeamColumns).replace(QLatin1String("uuid,"), QLatin1String("id,"));
    const int count = int(columns.count(QLatin1Char(','))) + 1;
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    // The server gives the number (and the time received) itself.
    const QString row = QStringLiteral("(%1, 0)").arg(marks.join(QLatin1String(", ")));
    QSqlQuery query(db);
    size_t prepared = 0;
    for (size_t first = 0; first < records.size(); first += kRows) {
        const size_t rows = std::min(kRows, records.size() - first);
        if (rows != prepared) {
            QStringList values;
            for (size_t r = 0; r < rows; ++r)
                values << row;
            query.prepare(QStringLiteral("INSERT INTO records (%1, seq) VALUES %2 "
                                         "ON CONFLICT (id) DO NOTHING")
                              .arg(columns, values.join(QLatin1String(", "))));
            prepared = rows;
        }
        for (size_t r = first; r < first + rows; ++r) {
            for (const QVariant& value : teamValues(records[r]))
                query.addBindValue(value);
        }
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            db.rollback();
            return fail(error);
        }
    }
    if (!db.commit())
        return fail(db.lastError());
    return true;
}

bool TeamServer::fetch(qint64 above, int limit, std::vector<std::pair<qint64, Record>>& out) {
    out.clear();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT seq, %1 FROM records WHERE seq > ? ORDER BY seq LIMIT ?")
                      .arg(QString::fromLatin1(kTeamColumns)
                               .replace(QLatin1String("uuid,"), QLatin1String("id::text,"))));
    query.addBindValue(above);
    query.addBindValue(limit);
    if (!query.exec())
        return fail(query.lastError());
    while (query.next())
        out.emplace_back(query.value(0).toLongLong(), teamRecordAt(query, 1));
    return true;
}

} // namespace Records
