// A team server on the tests' throwaway cluster, and a proxy that fails it.
#include "TeamServerFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QUuid>

#include <atomic>

namespace {

// The administrator's password, taken out of the environment: the program under test must
// find its bench's own in the password file, as on a bench.
QString adminPassword() {
    static const QString password = [] {
        const QString value = qEnvironmentVariable("PGPASSWORD");
        qunsetenv("PGPASSWORD");
        return value;
    }();
    return password;
}

QVariant run(const QString& database, const QString& statement, QString* error = nullptr) {
    const QString name = QUuid::createUuid().toString();
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(qEnvironmentVariable("PGHOST"));
        db.setPort(qEnvironmentVariableIntValue("PGPORT"));
        db.setUserName(qEnvironmentVariable("PGUSER"));
        db.setPassword(adminPassword());
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open() && query.exec(statement))
            value = query.next() ? query.value(0) : QVariant(true);
        else if (error)
            *error = db.lastError().text() + query.lastError().text();
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

} // namespace

QString TeamDatabase::unavailable() {
    if (qEnvironmentVariableIsEmpty("PGHOST") || qEnvironmentVariableIsEmpty("PGPORT"))
        return QStringLiteral("no PostgreSQL server: run the suite with scripts/test, or under "
                              "pg_virtualenv -t");
    return QString();
}

TeamDatabase::TeamDatabase() {
    static std::atomic<int> count{0};
    const QString id = QStringLiteral("%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
    m_database = QStringLiteral("mx7500_") + id;
    m_bench = QStringLiteral("bench_") + id;
    if (!run(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(m_database),
             &m_error)
             .isValid())
        return;
    QProcess psql;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), adminPassword());
    psql.setProcessEnvironment(env);
    psql.start(QStringLiteral("psql"), {QStringLiteral("-q"), QStringLiteral("-d"), m_database,
                                        QStringLiteral("-f"), QStringLiteral(MX7500_TEAM_SCHEMA)});
    if (!psql.waitForFinished(60000) || psql.exitCode() != 0) {
        m_error = QString::fromLocal8Bit(psql.readAllStandardError());
        return;
    }
    run(m_database,
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw-%1' IN ROLE mx7500_bench").arg(m_bench),
        &m_error);
    setPasswordFile();
}

TeamDatabase::~TeamDatabase() {
    run(QStringLiteral("postgres"),
        QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
    run(QStringLiteral("postgres"), QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_bench));
}

QString TeamDatabase::uri(int port) const {
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(m_bench, qEnvironmentVariable("PGHOST"))
        .arg(port > 0 ? port : qEnvironmentVariableIntValue("PGPORT"))
        .arg(m_database);
}

QVariant TeamDatabase::admin(const QString& statement) const {
    return run(m_database, statement);
}

void TeamDatabase::setPasswordFile(const QString& password) const {
    QFile file(m_dir.filePath(QStringLiteral("pgpass")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QStringLiteral("*:*:*:%1:%2\n")
                   .arg(m_bench, password.isEmpty() ? QStringLiteral("pw-") + m_bench : password)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner); // libpq ignores it otherwise
    qputenv("PGPASSFILE", file.fileName().toLocal8Bit());
}

CuttingProxy::CuttingProxy() {
    m_server.listen(QHostAddress::LocalHost);
    m_port = m_server.serverPort();
    m_server.close();
    connect(&m_server, &QTcpServer::newConnection, this, &CuttingProxy::accept);
    moveToThread(&m_thread);
    m_server.moveToThread(&m_thread);
    m_thread.start();
}

CuttingProxy::~CuttingProxy() {
    QMetaObject::invokeMethod(this, &CuttingProxy::closeAll, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool CuttingProxy::up() {
    bool listening = false;
    QMetaObject::invokeMethod(
        this, [this] { return m_server.listen(QHostAddress::LocalHost, m_port); },
        Qt::BlockingQueuedConnection, &listening);
    return listening;
}

void CuttingProxy::cutAfter(qint64 bytes) {
    QMetaObject::invokeMethod(
        this, [this, bytes] { m_budget = bytes; }, Qt::BlockingQueuedConnection);
}

void CuttingProxy::closeAll() {
    m_server.close();
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_sockets)) {
        if (socket)
            socket->abort();
    }
    m_sockets.clear();
}

void CuttingProxy::accept() {
    while (QTcpSocket* program = m_server.nextPendingConnection()) {
        auto* server = new QTcpSocket(program);
        server->connectToHost(qEnvironmentVariable("PGHOST"),
                              quint16(qEnvironmentVariableIntValue("PGPORT")));
        m_sockets << program << server;
        connect(program, &QTcpSocket::readyRead, this, [this, program, server] {
            if (server->state() != QAbstractSocket::ConnectedState &&
                !server->waitForConnected(2000))
                return;
            QByteArray data = program->readAll();
            if (m_budget >= 0 && data.size() >= m_budget) {
                server->write(data.left(m_budget));
                server->flush();
                m_budget = -1;
                closeAll();
                return;
            }
            if (m_budget >= 0)
                m_budget -= data.size();
            server->write(data);
        });
        connect(server, &QTcpSocket::readyRead, program,
                [program, server] { program->write(server->readAll()); });
        connect(server, &QTcpSocket::disconnected, program, &QTcpSocket::disconnectFromHost);
        connect(program, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
        connect(program, &QTcpSocket::disconnected, program, &QObject::deleteLater);
    }
}
