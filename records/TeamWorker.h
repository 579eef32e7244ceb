// The team sync's work, done on its own thread: connect, send what waits, fetch what is new,
// listen for the server's notice of new records, and after a failure try again later.
#pragma once

#include "records/TeamStatus.h"
#include "records/TeamUri.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace Records {

class TeamCopy;
class TeamServer;

class TeamWorker : public QObject {
    Q_OBJECT
public:
    // Records go to and come from the server in batches of these sizes: each is one
    // transaction, short enough not to keep the program's own recording waiting.
    static constexpr int kSendBatch = 500;
    static constexpr int kFetchBatch = 5000;
    // The pause before trying an unreachable server again, doubled after each failure.
    static constexpr int kFirstPauseMs = 500;
    static constexpr int kLongestPauseMs = 30000;

    TeamWorker(const TeamUri& uri, const QString& storePath);
    ~TeamWorker() override;

public Q_SLOTS:
    void run();
    void setPassword(const QString& password);

Q_SIGNALS:
    void reported(const Records::TeamStatus& status);
    void arrived();
    void sent(const QStringList& uuids);

private:
    bool connectServer();
    bool sendWaiting();
    bool fetchNew();
    void failed(); // reports the server's problem and plans the next try
    void report(TeamStatus::Kind kind, const QString& detail = QString());

    TeamUri m_uri;
    QString m_storePath;
    QString m_password;
    std::unique_ptr<TeamCopy> m_copy;
    std::unique_ptr<TeamServer> m_server;
    QTimer m_retry;
    QTimer m_alive; // notices a server gone while nothing is sent
    int m_pauseMs = kFirstPauseMs;
    QDateTime m_unreachableSince; // invalid while the server answers
    bool m_storeFailed = false;   // the last run failed on the store, not on the server
};

} // namespace Records
