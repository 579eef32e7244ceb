// The team server's state in words.
#include "records/TeamStatus.h"

#include "records/TeamServer.h"

#include <QLocale>

namespace Records {

QString teamStatusText(const TeamStatus& s) {
    using Kind = TeamStatus::Kind;
    const QString waiting = s.waiting == 1
                                ? QStringLiteral("1 record waiting to be sent")
                                : QStringLiteral("%1 records waiting to be sent").arg(s.waiting);
    QString text;
    switch (s.kind) {
    case Kind::Connecting:
        text = QStringLiteral("connecting");
        break;
    case Kind::UpToDate:
        return s.waiting == 0 ? QStringLiteral("Team server: up to date")
                              : QStringLiteral("Team server: sending, ") + waiting;
    case Kind::Unreachable: {
        const QString since = s.unreachableSince.toLocalTime().toString(QStringLiteral("HH:mm"));
        return s.waiting == 0
                   ? QStringLiteral("Team server: unreachable since %1").arg(since)
                   : QStringLiteral("Team server: %1 (unreachable since %2)").arg(waiting, since);
    }
    case Kind::PasswordNeeded:
        text = QStringLiteral("a password is needed");
        break;
    case Kind::WrongPassword:
        text = QStringLiteral("wrong password");
        break;
    case Kind::NeedsTls:
        text = QStringLiteral("it accepts encrypted connections only (add ?sslmode=require to "
                              "its address)");
        break;
    case Kind::NewerSchema:
        text = QStringLiteral("its records are laid out for a newer version of this program "
                              "(layout %1; this one knows up to %2), so it is left untouched")
                   .arg(s.detail)
                   .arg(TeamServer::kSchemaVersion);
        break;
    case Kind::NotSetUp:
        text = QStringLiteral("it holds no team records yet (run team-schema.sql on it, as the "
                              "README says)");
        break;
    case Kind::Refused:
    case Kind::StoreFailed:
        text = s.detail;
        break;
    }
    text = QStringLiteral("Team server: ") + text;
    if (s.waiting > 0)
        text += QStringLiteral(" (%1)").arg(waiting);
    return text;
}

} // namespace Records
