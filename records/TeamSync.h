// Keeps the records store and the team server in step, on a thread of its own with its own
// connections, so that no window ever waits for the server: records made here are sent as
// soon as they are committed (and again until the server has them), records the server gets
// from other benches are fetched when it says so (LISTEN/NOTIFY), and a server that cannot be
// reached is tried again after a pause that grows with each failure.
#pragma once

#include "records/TeamStatus.h"
#include "records/TeamUri.h"

#include <QObject>
#include <QThread>

namespace Records {

class TeamWorker;

class TeamSync : public QObject {
    Q_OBJECT
public:
    TeamSync(const TeamUri& uri, const QString& storePath, QObject* parent = nullptr);
    ~TeamSync() override; // stops the thread; what is not sent yet is sent on the next run

    void start();
    // A record was just committed to the store: send it now.
    void nudge();
    // The password the operator typed, kept in memory only; connects again with it.
    void setPassword(const QString& password);

    const TeamStatus& status() const { return m_status; }
    const TeamUri& uri() const { return m_uri; }

Q_SIGNALS:
    void statusChanged();
    // Records of other benches have arrived in the store.
    void recordsArrived();
    // The server has committed these records of this bench.
    void recordsSent(const QStringList& uuids);

private:
    TeamUri m_uri;
    QThread m_thread;
    TeamWorker* m_worker = nullptr; // lives on m_thread
    TeamStatus m_status;
};

} // namespace Records
