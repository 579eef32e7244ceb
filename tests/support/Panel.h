// The fixture every in-process window test shares: a fresh run for each test (a scripted
// operator, cleared shared variables, the fake line or the simulator behind port 1), the
// hand-over to the results window, what that window shows, and its log read back while it
// is still open. Tear-down is here too, and fails a test that left a box unanswered.
#pragma once

// What every window test drives comes with the fixture.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "Table.h"
#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class ReadingsWindow;
class Simulator;

class Panel : public QObject {
    Q_OBJECT

protected:
    ScriptedPrompt* prompt = nullptr;
    QPointer<FakeSerialPort> port; // the connection window's port, on the fake line
    int programEnds = 0;
    int abandoned = 0;

    // What the fake meter answers to "*IDN?" and to each "*TRG" (nothing when empty); each
    // test starts with a meter that answers both.
    QByteArray identity;
    QByteArray reading;
    int readingDelayMs = 2;

    // The connection window on the fake line, loaded and shown.
    Form1& showConnection();
    // Continue pressed on the fake line; the results window at speed "Fast" with nothing
    // sent yet as far as `port->written` tells.
    frmMeasure& handOver();
    // The same on the real serial port, with `sim` started behind port 1.
    frmMeasure& handOver(Simulator& sim);

    void setSpeed(const QString& speed) const;
    // The six display boxes, first row then second.
    QStringList rows() const;
    // Trigger, log, Configure and the correction switch all usable; or all not, Exit usable.
    bool unlocked() const;
    bool locked() const;

    // Start Log with the operator choosing `name` in the test's folder (no file there yet).
    QString startLog(const QString& name = QStringLiteral("run.csv"));
    // The log's lines as they are on the disk now, log still open, each ended by CR LF. The
    // date and time of start and stop lines must be today's and now in the region's format
    // (US English here) and read "D,T".
    QStringList logLines(const QString& path = QString()) const;
    QString path(const QString& name) const { return m_dir->filePath(name); }

    // Ctrl+R in the results window: the Readings window, shown and active.
    ReadingsWindow& openReadings() const;
    // Readings as the cycle hands them over, without the line.
    static void feed(ReadingsWindow& readings, const QList<float>& values);
    // The C library and Qt in a comma-decimal region (de_DE) until the test ends.
    void useGerman();

    // As an operator types: a click into the box, Ctrl+A, the text key by key, then Tab.
    static void typeInto(QWidget* box, const QString& text);
    static void activate(QWidget* window);

    // Tests with more to set up call these from their own.
protected Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_log;
    bool m_german = false;
};
