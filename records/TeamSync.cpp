// The team sync's thread and what it last said.
#include "records/TeamSync.h"

#include "records/TeamWorker.h"

namespace Records {

TeamSync::TeamSync(const TeamUri& uri, const QString& storePath, QObject* parent)
    : QObject(parent), m_uri(uri) {
    qRegisterMetaType<TeamStatus>();
    m_worker = new TeamWorker(uri, storePath);
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("team sync"));
    // Its connections are made, used and closed on its thread.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &TeamWorker::reported, this, [this](const TeamStatus& status) {
        m_status = status;
        Q_EMIT statusChanged();
    });
    connect(m_worker, &TeamWorker::arrived, this, &TeamSync::recordsArrived);
    connect(m_worker, &TeamWorker::sent, this, &TeamSync::recordsSent);
}

TeamSync::~TeamSync() {
    m_thread.quit();
    m_thread.wait();
}

void TeamSync::start() {
    m_thread.start();
    nudge();
}

void TeamSync::nudge() {
    QMetaObject::invokeMethod(m_worker, &TeamWorker::run, Qt::QueuedConnection);
}

void TeamSync::setPassword(const QString& password) {
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, password] { worker->setPassword(password); },
        Qt::QueuedConnection);
}

} // namespace Records
