// Who is using the line right now: an exchange (a measurement cycle, an identification, an
// upload) holds a Scope while it runs. Whatever starts exchanges on its own, such as a
// repeating trigger, asks here first and is told when the line is free again, without polling.
#pragma once

#include <QObject>

class LineActivity : public QObject {
    Q_OBJECT
public:
    static LineActivity& instance();

    // True while any exchange holds a scope.
    bool busy() const { return m_depth > 0; }

    // Marks one exchange as running for its lifetime.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // Sent by the not-responding box just before the operator is asked.
    void reportNotResponding() { Q_EMIT notResponding(); }

Q_SIGNALS:
    // The last running exchange has ended.
    void idle();
    // The meter stayed silent: the not-responding box is about to be shown.
    void notResponding();

private:
    int m_depth = 0;
};
