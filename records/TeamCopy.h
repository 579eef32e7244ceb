// The records store as the thread that syncs it with the team server sees it, through a
// connection of its own: the records still to be sent, marking them sent, and taking in the
// server's records above the highest number this copy holds.
#pragma once

#include "records/Record.h"

#include <QString>

#include <vector>

namespace Records {

class TeamCopy {
public:
    // `server` names the team server, so that another server is fetched from the start.
    TeamCopy(const QString& connectionName, const QString& server);
    ~TeamCopy();
    TeamCopy(const TeamCopy&) = delete;
    TeamCopy& operator=(const TeamCopy&) = delete;

    // The store's file, already made and laid out by the program's own store.
    bool open(const QString& path);
    bool isOpen() const;

    bool waiting(int limit, std::vector<Record>& out);
    int waitingCount();
    bool markSent(const std::vector<Record>& records);

    qint64 highWater();
    // Keeps the fetched records (those it has, as its own sent ones, are marked sent) and the
    // highest number among them, in one transaction.
    bool take(const std::vector<std::pair<qint64, Record>>& fetched);

    QString errorText() const { return m_error; }

private:
    bool fail(const QString& doing);

    QString m_connection;
    QString m_server;
    QString m_error;
};

} // namespace Records
