// The log button: choosing the file, the overwrite question, opening failures, the start and
// stop lines, the captions, a full disk, and leaving the program while a log runs.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/Wait.h"
#include "measurement/DataLog.h"
#include "measurement/LogControl.h"
#include "measurement/LogLines.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {
// "Start Log ,<date>,<time>,Norvale,MX7500,<field 3>,<field 4>": seven fields, the date and
// the time in the regional form, which this check does not pin down.
QRegularExpression startLine(const QString& field3, const QString& field4) {
    return QRegularExpression(
        QStringLiteral("^Start Log ,[^,]+,[^,]+,Norvale,MX7500,%1,%2$")
            .arg(QRegularExpression::escape(field3), QRegularExpression::escape(field4)));
}
const QRegularExpression kStopLine(QStringLiteral("^Stop Log ,[^,]+,[^,]+$"));
} // namespace

class LogTest : public QObject {
    Q_OBJECT
    FakeSerialPort* m_port = nullptr;
    ScriptedPrompt* m_prompt = nullptr;
    frmMeasure* m_window = nullptr;
    QTemporaryDir* m_dir = nullptr;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    static QStringList lines(const QString& file) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return {QStringLiteral("<cannot read>")};
        const QString all = QString::fromLocal8Bit(in.readAll());
        QStringList result = all.split(QStringLiteral("\r\n"));
        if (result.last().isEmpty())
            result.removeLast();
        else
            result << QStringLiteral("<not ended by CR LF>");
        return result;
    }
    void checkNotLogging(const QString& tooltip) {
        QVERIFY(!m_window->bLog);
        QVERIFY(!DataLog::isOpen());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Results"));
        QCOMPARE(m_window->cmdLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(m_window->cmdLog->toolTip(), tooltip);
    }
    void checkLogging(const QString& file) {
        QVERIFY(m_window->bLog);
        QVERIFY(DataLog::isOpen());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("logging to file ") + file);
        QCOMPARE(m_window->cmdLog->text(), QStringLiteral("Stop Log"));
        QCOMPARE(m_window->cmdLog->toolTip(), QStringLiteral("Stop Logging Data"));
    }

private Q_SLOTS:
    void init() {
        Module1::reset();
        Module1::sIdnMaker = QStringLiteral("Norvale");
        Module1::sIdnModel = QStringLiteral("MX7500");
        Wait::resetCallOff();
        LoadableWindow::setProgramEndHandler([] { Wait::callOffAll(); });
        m_dir = new QTemporaryDir;
        m_port = new FakeSerialPort;
        m_port->setPortOpen(true);
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*TRG\r\n")
                m_port->deliver("1.250000e-02\n", 2);
        };
        Module1::setPort(m_port);
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        Module1::setAbandonHandler([] {});
        m_window = &frmMeasure::use();
        QComboBox* accuracy = Configure::use().Accuracy;
        accuracy->setCurrentIndex(accuracy->findText(QStringLiteral("Fast")));
    }
    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        frmMeasure::unloadIfLoaded();
        Configure::unloadIfLoaded();
        DataLog::close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_prompt;
        delete m_port;
        delete m_dir;
    }

    void cancellingChangesNothing() {
        m_prompt->expectFile(std::nullopt);
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Starts Logging Data"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_prompt->fileRequests.size(), 1);
        QCOMPARE(m_prompt->fileRequests[0].filter,
                 QStringLiteral("Csv files (*.csv)|*.csv| All Files (*.*)|*.*|"));
        QCOMPARE(m_prompt->fileRequests[0].title, QStringLiteral("Select a file name"));
    }

    void aNewFileStartsWithTheStartLineAndStopsWithTheStopLine() {
        Module1::sIdnField3 = QStringLiteral("MX75-000123");
        Module1::sIdnField4 = QStringLiteral("1.04");
        const QString file = path(QStringLiteral("no extension")); // taken exactly as typed
        m_prompt->expectFile(file);
        m_window->cmdLog->click();
        checkLogging(file);
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Start Logging Data"));
        const QStringList written = lines(file);
        QCOMPARE(written.size(), 2);
        QVERIFY2(startLine(QStringLiteral("MX75-000123"), QStringLiteral("1.04"))
                     .match(written[0])
                     .hasMatch(),
                 qPrintable(written[0]));
        QVERIFY2(kStopLine.match(written[1]).hasMatch(), qPrintable(written[1]));
    }

    // An existing file: Yes replaces it, No appends; the second start on the same file asks,
    // and the dialog offers the path chosen last.
    void existingFile_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("linesBefore");
        QTest::newRow("Yes overwrites") << Answer::Yes << 0;
        QTest::newRow("No appends") << Answer::No << 2;
    }
    void existingFile() {
        QFETCH(Answer, answer);
        QFETCH(int, linesBefore);
        const QString file = path(QStringLiteral("run.csv"));
        m_prompt->expectFile(file);
        m_window->cmdLog->click();
        m_window->cmdLog->click();
        m_prompt->expectFile(file);
        m_prompt->expect(QStringLiteral("Overwrite ") + file, Buttons::YesNo, answer);
        m_window->cmdLog->click();
        QCOMPARE(m_prompt->fileRequests[1].fileName, file);
        checkLogging(file);
        m_window->cmdLog->click();
        const QStringList written = lines(file);
        QCOMPARE(written.size(), linesBefore + 2);
        QVERIFY(startLine(QString(), QString()).match(written[linesBefore]).hasMatch());
    }

    void anUnreadableExistingFileIsStillAskedAbout() {
        const QString file = path(QStringLiteral("locked.csv"));
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("kept\r\n");
        existing.close();
        QVERIFY(existing.setPermissions(QFileDevice::WriteOwner));
        m_prompt->expectFile(file);
        m_prompt->expect(QStringLiteral("Overwrite ") + file, Buttons::YesNo, Answer::No);
        m_window->cmdLog->click();
        checkLogging(file);
        m_window->cmdLog->click();
        QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(lines(file).value(0), QStringLiteral("kept"));
    }

    void aFileThatCannotBeOpenedIsReported() {
        const QString file = path(QStringLiteral("missing folder/run.csv"));
        m_prompt->expectFile(file);
        m_prompt->expectOk(file + QStringLiteral("  No such file or directory"));
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Starts Logging Data"));
    }

    void aFullDiskAtTheStartLineIsReported() {
        m_prompt->expectFile(QStringLiteral("/dev/full"));
        m_prompt->expect(QStringLiteral("Overwrite /dev/full"), Buttons::YesNo, Answer::No);
        m_prompt->expectOk(
            LogControl::writeFailedMessage(QStringLiteral("No space left on device")));
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Start Logging Data"));
    }

    void aFullDiskAtTheStopLineIsReported() {
        m_prompt->expectFile(path(QStringLiteral("run.csv")));
        m_window->cmdLog->click();
        // The drive fills up while the log runs.
        DataLog::close();
        QVERIFY(DataLog::open(QStringLiteral("/dev/full"), DataLog::Mode::Append, nullptr));
        m_prompt->expectOk(
            LogControl::writeFailedMessage(QStringLiteral("No space left on device")));
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Start Logging Data"));
    }

    // One logging run with two readings (the second corrected) and an upload between them.
    void aWholeRun() {
        const QString file = path(QStringLiteral("run.csv"));
        m_prompt->expectFile(file);
        m_window->cmdLog->click();
        m_window->Start->click();
        m_window->logLine(LogLines::configurationChanged());
        m_window->cmdTC->click();
        m_window->Start->click();
        m_window->cmdLog->click();
        const QStringList written = lines(file);
        QCOMPARE(written.size(), 5);
        QVERIFY(startLine(QString(), QString()).match(written[0]).hasMatch());
        QCOMPARE(written.mid(1, 3),
                 (QStringList{"Rx,1.250000e-02, Ohm", "Configuration Changed",
                              "Rx,1.250000e-02, Ohm ,Rtc,0.0125, Ohm ,20,0.004"}));
        QVERIFY(kStopLine.match(written[4]).hasMatch());
    }

    void leavingWritesExactlyOneStopLine_data() {
        QTest::addColumn<bool>("byExit");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }
    void leavingWritesExactlyOneStopLine() {
        QFETCH(bool, byExit);
        const QString file = path(QStringLiteral("run.csv"));
        m_prompt->expectFile(file);
        m_window->cmdLog->click();
        if (byExit)
            m_window->Exit->click();
        else
            m_window->close();
        QVERIFY(!DataLog::isOpen());
        const QStringList written = lines(file);
        QCOMPARE(written.size(), 2);
        QVERIFY(kStopLine.match(written[1]).hasMatch());
    }
};

QTEST_MAIN(LogTest)
#include "tst_log.moc"
