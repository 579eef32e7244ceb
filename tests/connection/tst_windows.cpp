// The connection and results windows with an in-memory port and a scripted operator: the
// window lifetime, the port and baud choices, Continue, Configure and the ways out.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "UnloadAll.h"
#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "link/Wait.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class WindowsTest : public QObject {
    Q_OBJECT
    ScriptedPrompt* m_prompt = nullptr;
    QPointer<FakeSerialPort> m_port;
    int m_programEnds = 0;
    int m_abandoned = 0;

    // The port of the connection window, answering "*IDN?" like a meter.
    void answerIdentification(const QByteArray& reply) {
        m_port->onCommand = [this, reply](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                m_port->deliver(reply, 5);
        };
    }

    Form1& showConnection() {
        Form1& form = Form1::use();
        form.show();
        m_port = qobject_cast<FakeSerialPort*>(form.MSComm1);
        return form;
    }

    frmMeasure& handOver() {
        Form1& form = showConnection();
        answerIdentification("Norvale,MX7500,MX75-000123,1.04\r\n");
        form.Measure->click();
        return *frmMeasure::loaded();
    }

    // The next control the Tab key reaches (labels take no focus).
    static QWidget* nextFocusable(QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && (!(next->focusPolicy() & Qt::TabFocus) || from->isAncestorOf(next)))
            next = next->nextInFocusChain();
        return next;
    }

    // Types as an operator does: a click into the box, Ctrl+A, the text key by key, then Tab.
    static void typeInto(QComboBox* box, const QString& text) {
        QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void initTestCase() {
        Form1::setPortFactory([] { return new FakeSerialPort; });
        LoadableWindow::setProgramEndHandler([this] { ++m_programEnds; });
        Module1::setAbandonHandler([this] { ++m_abandoned; });
    }

    void init() {
        Form1::setPortFactory([] { return new FakeSerialPort; });
        Module1::reset();
        Wait::resetCallOff();
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        m_programEnds = 0;
        m_abandoned = 0;
    }

    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        unloadEveryWindow();
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        delete m_prompt;
    }

    void aWindowExistsOnceAndUnloadingStartsItAfresh() {
        Configure& first = Configure::use();
        QCOMPARE(&Configure::use(), &first);
        first.Unit->setText(QStringLiteral("MX7500"));
        QVERIFY(!first.isVisible());
        first.unload();
        QVERIFY(!Configure::loaded());
        QCOMPARE(m_programEnds, 1); // nothing else was loaded
        Configure& second = Configure::use();
        QVERIFY(&second != &first);
        QCOMPARE(second.Unit->text(), QString());
    }

    void connectionWindowAsFirstShown() {
        Form1& form = showConnection();
        QCOMPARE(form.port->currentText(), QStringLiteral("1"));
        QCOMPARE(form.baud->currentText(), QStringLiteral("9600"));
        QCOMPARE(nextFocusable(form.Command3), static_cast<QWidget*>(form.port));
        QCOMPARE(nextFocusable(form.port), static_cast<QWidget*>(form.baud));
        QCOMPARE(nextFocusable(form.baud), static_cast<QWidget*>(form.Measure));
        form.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Command3));
        // Load: close and open, then the port choice and the baud choice each reopen.
        QCOMPARE(m_port->history,
                 (QStringList{"open 1 9600", "close", "open 1 9600", "close", "open 1 9600"}));
    }

    void portChoiceFollowsEveryKeystroke() {
        Form1& form = showConnection();
        form.port->lineEdit()->clear();
        m_port->history.clear();
        QTest::keyClicks(form.port->lineEdit(), QStringLiteral("12"));
        QCOMPARE(m_port->commPort(), 2);
        QCOMPARE(m_port->history, (QStringList{"close", "open 1 9600", "close", "open 2 9600"}));
    }

    void aPortThatWillNotOpenIsReported() {
        Form1& form = showConnection();
        m_port->openablePorts = {1};
        m_prompt->expectOk(QStringLiteral("Comm port 2 not available"));
        form.port->setCurrentIndex(1);
        Q_EMIT form.port->activated(1);
        QVERIFY(!m_port->portOpen());
        QCOMPARE(m_port->commPort(), 2);
    }

    void theFailureBoxDoesNotCountAsLeavingThePortBox() {
        Form1& form = showConnection();
        m_port->openablePorts = {1};
        // A message box coming up takes the focus from the port box; that is no choice of
        // the operator's, or the failure box would bring itself back for ever.
        m_prompt->expect(QStringLiteral("Comm port 2 not available"), Buttons::Ok, Answer::Ok, [&] {
            QFocusEvent boxTakesFocus(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(form.port, &boxTakesFocus);
        });
        form.port->setEditText(QStringLiteral("2"));
        form.portChoice();
        QCOMPARE(m_prompt->shown.size(), 1);
        // Tabbing away is leaving the box: the choice runs again.
        m_prompt->expectOk(QStringLiteral("Comm port 2 not available"));
        QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(form.port, &tabbedAway);
        QCOMPARE(m_prompt->shown.size(), 2);
    }

    void baudChoice() {
        Form1& form = showConnection();
        form.baud->lineEdit()->clear();
        QTest::keyClicks(form.baud->lineEdit(), QStringLiteral("19200"));
        QCOMPARE(m_port->baudRate(), 19200);
        QTest::keyClicks(form.baud->lineEdit(), QStringLiteral("0"));
        QCOMPARE(m_port->baudRate(), 9600);
        m_port->openablePorts = {};
        m_prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        form.baud->setCurrentIndex(1);
        Q_EMIT form.baud->activated(1);
    }

    void startUpWithPort1MissingShowsOneBox() {
        Form1::setPortFactory([] {
            auto* port = new FakeSerialPort;
            port->openablePorts = {2};
            return port;
        });
        m_prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        showConnection();
        QCOMPARE(m_prompt->shown, QStringList{QStringLiteral("Comm port 1 not available")});
        QVERIFY(!m_port->portOpen());
    }

    // The boxes hold exactly what was typed: no completion from their lists.
    void typedConnectionEntriesAreTakenAsTyped() {
        Form1& form = showConnection();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        m_port->history.clear();
        typeInto(form.port, QStringLiteral("2"));
        // One choice for the keystroke and one for leaving the box, no more.
        QCOMPARE(m_port->history, (QStringList{"close", "open 2 9600", "close", "open 2 9600"}));
        typeInto(form.baud, QStringLiteral("1"));
        QCOMPARE(form.baud->currentText(), QStringLiteral("1"));
        QCOMPARE(m_port->baudRate(), 9600);
        QVERIFY(m_port->portOpen());
    }

    void typedMaterialNamesMustMatchExactly() {
        frmMeasure& results = handOver();
        results.cmdTC->click();
        results.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&results));
        for (const QString typed : {QStringLiteral("copper"), QStringLiteral("G")}) {
            m_prompt->expectOk(QStringLiteral("Entry must be numeric"));
            typeInto(results.Combo1, typed);
            QCOMPARE(results.Combo1->currentText(), QStringLiteral("Copper"));
        }
        QCOMPARE(m_prompt->shown.size(), 2);
    }

    void continueHandsOverToTheResultsWindow() {
        frmMeasure& results = handOver();
        QVERIFY(!Form1::use().isVisible());
        QVERIFY(results.isVisible());
        QCOMPARE(Configure::use().Unit->text(), QStringLiteral("MX7500"));
        QVERIFY(!Configure::use().isVisible());
        QCOMPARE(m_port->written,
                 (QList<QByteArray>{"\r\n", "\r\n", "\r\n", "*IDN?\r\n", ":TRIG:SOUR BUS\r\n"}));
        QCOMPARE(Module1::sIdnField3, QStringLiteral("MX75-000123"));
    }

    void resultsWindowAsFirstShown() {
        frmMeasure& w = handOver();
        QVERIFY(!w.bLog);
        QVERIFY(!w.bTC);
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("Copper"));
        for (QWidget* hidden : {static_cast<QWidget*>(w.spar), static_cast<QWidget*>(w.svalue),
                                static_cast<QWidget*>(w.sunit), static_cast<QWidget*>(w.Label1),
                                static_cast<QWidget*>(w.Label2), static_cast<QWidget*>(w.Label3),
                                static_cast<QWidget*>(w.Temp), static_cast<QWidget*>(w.Combo1)})
            QVERIFY(hidden->isHidden());
        QCOMPARE(nextFocusable(w.Ppar), static_cast<QWidget*>(w.Pvalue));
        QCOMPARE(nextFocusable(w.Punit), static_cast<QWidget*>(w.Start));
        QCOMPARE(nextFocusable(w.Config), static_cast<QWidget*>(w.spar));
        w.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Ppar));
    }

    void silenceThenOkBringsTheButtonsBack() {
        Form1& form = showConnection();
        bool buttonsHiddenDuringWait = false;
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok, [&] {
            buttonsHiddenDuringWait = form.Measure->isHidden() && form.Command3->isHidden();
        });
        form.Measure->click();
        QVERIFY(buttonsHiddenDuringWait);
        QVERIFY(!form.Measure->isHidden());
        QVERIFY(!form.Command3->isHidden());
        QVERIFY(form.isVisible());
        QVERIFY(!frmMeasure::loaded());
    }

    void configureTakesTheLatestModelAndLocksTheButtonsMeanwhile() {
        frmMeasure& results = handOver();
        answerIdentification("Norvale,MX7510,S,F\r\n");
        bool lockedDuringWait = false;
        m_port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n") {
                lockedDuringWait = !results.Start->isEnabled() && !results.cmdLog->isEnabled() &&
                                   !results.Config->isEnabled() && !results.cmdTC->isEnabled() &&
                                   results.Exit->isEnabled();
                m_port->deliver("Norvale,MX7510,S,F\r\n", 5);
            }
        };
        results.Config->click();
        QVERIFY(lockedDuringWait);
        QVERIFY(results.Start->isEnabled() && results.Config->isEnabled());
        QVERIFY(Configure::use().isVisible());
        QVERIFY(!results.isVisible());
        QCOMPARE(Configure::use().Unit->text(), QStringLiteral("MX7510"));
        // Closing the configuration window brings the results back.
        Configure::use().close();
        QVERIFY(results.isVisible());
        QVERIFY(!Configure::loaded());
    }

    void exitDuringTheIdentificationWaitLeavesCleanly() {
        frmMeasure& results = handOver();
        QPointer<frmMeasure> watched(&results);
        m_port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                QTimer::singleShot(20, [watched] { watched->Exit->click(); });
        };
        results.Config->click();
        QCOMPARE(m_programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QVERIFY(!m_port || !m_port->portOpen());
        flushDeletes();
        QVERIFY(watched.isNull());
    }

    void closingTheConnectionWindowDuringContinueLeavesCleanly() {
        Form1& form = showConnection();
        QPointer<Form1> watched(&form);
        m_port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                QTimer::singleShot(20, [watched] { watched->close(); });
        };
        form.Measure->click();
        QCOMPARE(m_programEnds, 1);
        QVERIFY(!frmMeasure::loaded());
        QVERIFY(!Configure::loaded());
    }

    void connectionExitClosesThePortAndEnds() {
        Form1& form = showConnection();
        form.Command3->click();
        QCOMPARE(m_programEnds, 1);
        QVERIFY(!Form1::loaded());
        QCOMPARE(m_port->history.last(), QStringLiteral("close"));
    }

    void resultsCloseBoxClosesEverything() {
        frmMeasure& results = handOver();
        results.close();
        QCOMPARE(m_programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QCOMPARE(m_port->history.last(), QStringLiteral("close"));
        QCOMPARE(m_port->written.size(), 5); // nothing sent on the way out
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
