// One connection to the team server, used by the thread that sends and fetches records: the
// connection checked against the server's layout, a batch of records sent in one
// transaction, the records above a number fetched, and what went wrong in words.
#pragma once

#include "records/Record.h"
#include "records/TeamUri.h"

#include <QString>

#include <vector>

class QSqlDriver;
class QSqlError;

namespace Records {

class TeamServer {
public:
    // The server's records layout this program knows; a newer one is left untouched.
    static constexpr int kSchemaVersion = 1;
    // The channel the server notifies when records are added.
    static constexpr const char* kChannel = "mx7500_records";

    enum class Problem {
        None,
        Unreachable, // no answer, or the connection was lost
        Password,    // none given where one is needed, or a wrong one
        NeedsTls,    // the server accepts encrypted connections only
        NewerSchema, // a records layout newer than this program knows
        NotSetUp,    // no records layout at all
        Refused,     // anything else the server said no to
    };

    TeamServer(const TeamUri& uri, const QString& connectionName);
    ~TeamServer();
    TeamServer(const TeamServer&) = delete;
    TeamServer& operator=(const TeamServer&) = delete;

    // Connects with `password` (none: libpq's password file) and checks the layout.
    bool open(const QString& password);
    void close();
    bool isOpen() const;
    QSqlDriver* driver() const;

    // Sends `records` in one transaction; those the server holds already are left as they
    // are. True once committed.
    bool send(const std::vector<Record>& records);

    // At most `limit` records numbered above `above`, in their order, with their numbers.
    bool fetch(qint64 above, int limit, std::vector<std::pair<qint64, Record>>& out);

    Problem problem() const { return m_problem; }
    QString detail() const { return m_detail; }

private:
    bool fail(const QSqlError& error);

    TeamUri m_uri;
    QString m_connection;
    Problem m_problem = Problem::None;
    QString m_detail;
};

} // namespace Records
