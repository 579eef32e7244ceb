// A team server for a test: a database of its own on the throwaway PostgreSQL cluster the
// suite runs in (PGHOST, PGPORT, PGUSER and PGPASSWORD name its administrator), laid out by
// the project's own team-schema.sql run with psql, with a bench login whose password is in a
// password file of the test's; and a proxy in front of it that can be down, come up, or cut
// every connection after so many bytes, as a server that goes away mid-batch.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

class QTcpSocket;

class TeamDatabase {
public:
    // Empty when there is no cluster to run in (QSKIP with it).
    static QString unavailable();

    TeamDatabase();
    ~TeamDatabase();
    bool ready() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // postgresql://bench@host:port/database, through `port` when one is given.
    QString uri(int port = -1) const;
    QString database() const { return m_database; }
    QString bench() const { return m_bench; }
    // `statement`'s first value, run by the administrator in this database.
    QVariant admin(const QString& statement) const;
    // Writes the bench's password file with `password` (the real one unless given).
    void setPasswordFile(const QString& password = QString()) const;

private:
    QString m_database;
    QString m_bench;
    QString m_error;
    QTemporaryDir m_dir;
};

// Forwards on a thread of its own, so that a test may wait for the program (a sync thread
// stopping, say) while the program waits for the server.
class CuttingProxy : public QObject {
    Q_OBJECT
public:
    // A free port that nothing listens on yet.
    CuttingProxy();
    ~CuttingProxy() override;
    quint16 port() const { return m_port; }
    bool up();
    // After this many more bytes from the program, every connection is cut and the proxy
    // listens no more.
    void cutAfter(qint64 bytes);

private:
    void accept();
    void closeAll();

    QThread m_thread;

    QTcpServer m_server;
    quint16 m_port = 0;
    qint64 m_budget = -1;
    QList<QPointer<QTcpSocket>> m_sockets;
};
