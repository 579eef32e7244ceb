// The team sync's work on its thread.
#include "records/TeamWorker.h"

#include "records/TeamCopy.h"
#include "records/TeamServer.h"

#include <QSqlDriver>

#include <atomic>
#include <clocale>
#include <locale.h>

namespace Records {

TeamWorker::TeamWorker(const TeamUri& uri, const QString& storePath)
    : m_uri(uri), m_storePath(storePath), m_retry(this), m_alive(this) {
    static std::atomic<int> count{0};
    const int n = ++count;
    m_copy = std::make_unique<TeamCopy>(QStringLiteral("team-copy-%1").arg(n), uri.shown);
    m_server = std::make_unique<TeamServer>(uri, QStringLiteral("team-server-%1").arg(n));
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &TeamWorker::run);
    // A listening connection whose server went away says nothing until it is used.
    m_alive.setInterval(10000);
    connect(&m_alive, &QTimer::timeout, this, &TeamWorker::run);
}

TeamWorker::~TeamWorker() = default;

void TeamWorker::setPassword(const QString& password) {
    m_password = password;
    m_server->close();
    run();
}

void TeamWorker::report(TeamStatus::Kind kind, const QString& detail) {
    TeamStatus status;
    status.kind = kind;
    status.detail = detail;
    status.waiting = m_copy ? std::max(0, m_copy->waitingCount()) : 0;
    status.unreachableSince = m_unreachableSince;
    Q_EMIT reported(status);
}

void TeamWorker::failed() {
    using Problem = TeamServer::Problem;
    const Problem problem = m_server->problem();
    m_alive.stop();
    if (!m_unreachableSince.isValid())
        m_unreachableSince = QDateTime::currentDateTime();
    switch (problem) {
    case Problem::Password:
        // Tried again only with another password: a wrong one tried on and on may lock the
        // account.
        report(m_server->detail().contains(QLatin1String("no password supplied"))
                   ? TeamStatus::Kind::PasswordNeeded
                   : TeamStatus::Kind::WrongPassword);
        return;
    case Problem::NeedsTls:
        report(TeamStatus::Kind::NeedsTls, m_server->detail());
        break;
    case Problem::NewerSchema:
        report(TeamStatus::Kind::NewerSchema, m_server->detail());
        break;
    case Problem::NotSetUp:
        report(TeamStatus::Kind::NotSetUp);
        break;
    case Problem::Unreachable:
        report(TeamStatus::Kind::Unreachable, m_server->detail());
        break;
    case Problem::Refused:
    case Problem::None:
        report(TeamStatus::Kind::Refused, m_server->detail());
        break;
    }
    m_retry.start(m_pauseMs);
    m_pauseMs = std::min(m_pauseMs * 2, kLongestPauseMs);
}

bool TeamWorker::connectServer() {
    if (m_server->isOpen())
        return true;
    if (!m_server->open(m_password))
        return false;
    QSqlDriver* driver = m_server->driver();
    connect(driver, &QSqlDriver::notification, this, &TeamWorker::run, Qt::UniqueConnection);
    if (!driver->subscribeToNotification(QString::fromLatin1(TeamServer::kChannel))) {
        m_server->close();
        return false;
    }
    return true;
}

bool TeamWorker::sendWaiting() {
    std::vector<Record> batch;
    for (;;) {
        if (!m_copy->waiting(kSendBatch, batch)) {
            m_storeFailed = true;
            return false;
        }
        if (batch.empty())
            return true;
        // Committed on the server before it is marked here: a run cut in between sends the
        // batch again, and the server keeps what it has.
        if (!m_server->send(batch))
            return false;
        if (!m_copy->markSent(batch)) {
            m_storeFailed = true;
            return false;
        }
        QStringList uuids;
        for (const Record& record : batch)
            uuids << record.uuid;
        Q_EMIT sent(uuids);
    }
}

bool TeamWorker::fetchNew() {
    std::vector<std::pair<qint64, Record>> fetched;
    bool any = false;
    for (;;) {
        if (!m_server->fetch(m_copy->highWater(), kFetchBatch, fetched))
            return false;
        if (!m_copy->take(fetched)) {
            m_storeFailed = true;
            return false;
        }
        any = any || !fetched.empty();
        if (int(fetched.size()) < kFetchBatch)
            break;
    }
    if (any)
        Q_EMIT arrived();
    return true;
}

void TeamWorker::run() {
    // The server's client writes its messages in the process's language, and a connection
    // that fails has no code, only its message: the sync's thread takes libpq's own (English)
    // words, which TeamServer tells apart, and leaves the rest of the region as it is.
    static thread_local const bool english = [] {
        const locale_t messages = newlocale(LC_MESSAGES_MASK, "C", duplocale(LC_GLOBAL_LOCALE));
        return messages && uselocale(messages);
    }();
    (void)english;
    m_retry.stop();
    if (!m_copy->isOpen() && !m_copy->open(m_storePath)) {
        report(TeamStatus::Kind::StoreFailed, m_copy->errorText());
        m_retry.start(kLongestPauseMs);
        return;
    }
    if (!connectServer()) {
        failed();
        return;
    }
    m_storeFailed = false;
    if (!sendWaiting() || !fetchNew()) {
        if (!m_storeFailed) {
            failed();
            return;
        }
        report(TeamStatus::Kind::StoreFailed, m_copy->errorText());
        m_retry.start(kLongestPauseMs);
        return;
    }
    m_pauseMs = kFirstPauseMs;
    m_unreachableSince = QDateTime();
    m_alive.start();
    report(TeamStatus::Kind::UpToDate);
}

} // namespace Records
