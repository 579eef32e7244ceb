// The team server as named by the operator: a PostgreSQL URI
// (postgresql://user@host:port/database?sslmode=require), taken apart into what Qt's
// PostgreSQL driver is given. A password is never part of it: it comes from libpq's password
// file, or from the operator, and is kept in memory only.
#pragma once

#include <QString>

namespace Records {

struct TeamUri {
    QString host;
    int port = -1; // libpq's default when none is named
    QString database;
    QString user;
    QString options; // the URI's parameters (TLS and the like), for libpq as they were given
    QString shown;   // the URI as the operator may see it
};

// `text` taken apart; false, with what is wrong in `error`, for anything but a PostgreSQL URI
// without a password whose parameters libpq can be given unchanged.
bool parseTeamUri(const QString& text, TeamUri& out, QString& error);

} // namespace Records
