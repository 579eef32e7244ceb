// What the team sync can say about the team server, and the words the operator reads.
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace Records {

struct TeamStatus {
    enum class Kind {
        Connecting,
        UpToDate,
        Unreachable,
        PasswordNeeded,
        WrongPassword,
        NeedsTls,
        NewerSchema,
        NotSetUp,
        Refused,
        StoreFailed,
    };
    Kind kind = Kind::Connecting;
    int waiting = 0;            // records of this bench the server does not have yet
    QDateTime unreachableSince; // when it was last reached, or first tried
    QString detail;             // the server's or the store's own words, or the layout
};

// "Team server: up to date", "Team server: 3 records waiting to be sent (unreachable since
// 14:02)", "Team server: wrong password"...
QString teamStatusText(const TeamStatus& status);

} // namespace Records

Q_DECLARE_METATYPE(Records::TeamStatus)
