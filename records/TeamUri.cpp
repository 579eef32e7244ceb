// A team server's URI taken apart.
#include "records/TeamUri.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace Records {

bool parseTeamUri(const QString& text, TeamUri& out, QString& error) {
    out = TeamUri();
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() ||
        (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
        error = QStringLiteral("The team server \"%1\" is not a PostgreSQL address: write it as "
                               "postgresql://user@host:port/database (the port, and "
                               "?sslmode=... after it, may be left out).")
                    .arg(text);
        return false;
    }
    if (!url.password().isEmpty()) {
        error = QStringLiteral("The team server's address holds a password: leave it out. The "
                               "password is read from ~/.pgpass (or the file PGPASSFILE "
                               "names), or asked for once.");
        return false;
    }
    out.host = url.host();
    out.port = url.port(-1);
    out.database = url.path().mid(1);
    out.user = url.userName();
    // The driver hands the parameters to libpq space-separated, unquoted: a value that holds
    // a space, a quote or a semicolon could only be misread there.
    static const QRegularExpression key(QStringLiteral("^[a-z_]+$"));
    static const QRegularExpression value(QStringLiteral("^[^\\s'\"\\\\;]*$"));
    QStringList options;
    for (const auto& [name, setting] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!key.match(name).hasMatch() || !value.match(setting).hasMatch() ||
            name == QLatin1String("password")) {
            error = QStringLiteral("The team server's address has a setting that cannot be "
                                   "used: \"%1=%2\".")
                        .arg(name, setting);
            return false;
        }
        options << name + QLatin1Char('=') + setting;
    }
    out.options = options.join(QLatin1Char(';'));
    out.shown = url.toString(QUrl::RemovePassword);
    return true;
}

} // namespace Records
