// The connection and results windows with an in-memory port and a scripted operator: the
// window lifetime, the port and baud choices, Continue, Configure and the ways out.
#include "Panel.h"
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

class WindowsTest : public Panel {
    Q_OBJECT

    // The next control the Tab key reaches (labels take no focus).
    static QWidget* nextFocusable(QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && (!(next->focusPolicy() & Qt::TabFocus) || from->isAncestorOf(next)))
            next = next->nextInFocusChain();
        return next;
    }

    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void aWindowExistsOnceAndUnloadingStartsItAfresh() {
        Configure& first = Configure::use();
        QCOMPARE(&Configure::use(), &first);
        first.Unit->setText(QStringLiteral("MX7500"));
        QVERIFY(!first.isVisible());
        first.unload();
        QVERIFY(!Configure::loaded());
        QCOMPARE(programEnds, 1); // nothing else was loaded
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
        QCOMPARE(port->history,
                 (QStringList{"open 1 9600", "close", "open 1 9600", "close", "open 1 9600"}));
    }

    void portChoiceFollowsEveryKeystroke() {
        Form1& form = showConnection();
        form.port->lineEdit()->clear();
        port->history.clear();
        QTest::keyClicks(form.port->lineEdit(), QStringLiteral("12"));
        QCOMPARE(port->commPort(), 2);
        QCOMPARE(port->history, (QStringList{"close", "open 1 9600", "close", "open 2 9600"}));
    }

    void aPortThatWillNotOpenIsReported() {
        Form1& form = showConnection();
        port->openablePorts = {1};
        prompt->expectOk(QStringLiteral("Comm port 2 not available"));
        form.port->setCurrentIndex(1);
        Q_EMIT form.port->activated(1);
        QVERIFY(!port->portOpen());
        QCOMPARE(port->commPort(), 2);
    }

    void theFailureBoxDoesNotCountAsLeavingThePortBox() {
        Form1& form = showConnection();
        port->openablePorts = {1};
        // A message box coming up takes the focus from the port box; that is no choice of
        // the operator's, or the failure box would bring itself back for ever.
        prompt->expect(QStringLiteral("Comm port 2 not available"), Buttons::Ok, Answer::Ok, [&] {
            QFocusEvent boxTakesFocus(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(form.port, &boxTakesFocus);
        });
        form.port->setEditText(QStringLiteral("2"));
        form.portChoice();
        QCOMPARE(prompt->shown.size(), 1);
        // Tabbing away is leaving the box: the choice runs again.
        prompt->expectOk(QStringLiteral("Comm port 2 not available"));
        QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(form.port, &tabbedAway);
        QCOMPARE(prompt->shown.size(), 2);
    }

    void baudChoice() {
        Form1& form = showConnection();
        form.baud->lineEdit()->clear();
        QTest::keyClicks(form.baud->lineEdit(), QStringLiteral("19200"));
        QCOMPARE(port->baudRate(), 19200);
        QTest::keyClicks(form.baud->lineEdit(), QStringLiteral("0"));
        QCOMPARE(port->baudRate(), 9600);
        port->openablePorts = {};
        prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        form.baud->setCurrentIndex(1);
        Q_EMIT form.baud->activated(1);
    }

    void startUpWithPort1MissingShowsOneBox() {
        Form1::setPortFactory([] {
            auto* port = new FakeSerialPort;
            port->openablePorts = {2};
            return port;
        });
        prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        showConnection();
        QCOMPARE(prompt->shown, QStringList{QStringLiteral("Comm port 1 not available")});
        QVERIFY(!port->portOpen());
    }

    // The boxes hold exactly what was typed: no completion from their lists.
    void typedConnectionEntriesAreTakenAsTyped() {
        Form1& form = showConnection();
        activate(&form);
        port->history.clear();
        typeInto(form.port, QStringLiteral("2"));
        // One choice for the keystroke and one for leaving the box, no more.
        QCOMPARE(port->history, (QStringList{"close", "open 2 9600", "close", "open 2 9600"}));
        typeInto(form.baud, QStringLiteral("1"));
        QCOMPARE(form.baud->currentText(), QStringLiteral("1"));
        QCOMPARE(port->baudRate(), 9600);
        QVERIFY(port->portOpen());
    }

    void typedMaterialNamesMustMatchExactly() {
        frmMeasure& results = handOver();
        results.cmdTC->click();
        activate(&results);
        for (const QString typed : {QStringLiteral("copper"), QStringLiteral("G")}) {
            prompt->expectOk(QStringLiteral("Entry must be numeric"));
            typeInto(results.Combo1, typed);
            QCOMPARE(results.Combo1->currentText(), QStringLiteral("Copper"));
        }
        QCOMPARE(prompt->shown.size(), 2);
    }

    void continueHandsOverToTheResultsWindow() {
        showConnection().Measure->click();
        frmMeasure& results = frmMeasure::use();
        QVERIFY(!Form1::use().isVisible());
        QVERIFY(results.isVisible());
        QCOMPARE(Configure::use().Unit->text(), QStringLiteral("MX7500"));
        QVERIFY(!Configure::use().isVisible());
        QCOMPARE(port->written,
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
        identity.clear();
        Form1& form = showConnection();
        bool buttonsHiddenDuringWait = false;
        prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok, [&] {
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
        bool lockedDuringWait = false;
        port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n") {
                lockedDuringWait = !results.Start->isEnabled() && !results.cmdLog->isEnabled() &&
                                   !results.Config->isEnabled() && !results.cmdTC->isEnabled() &&
                                   results.Exit->isEnabled();
                port->deliver("Norvale,MX7510,S,F\r\n", 5);
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
        port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                QTimer::singleShot(20, [watched] { watched->Exit->click(); });
        };
        results.Config->click();
        QCOMPARE(programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QVERIFY(!port || !port->portOpen());
        flushDeletes();
        QVERIFY(watched.isNull());
    }

    void closingTheConnectionWindowDuringContinueLeavesCleanly() {
        Form1& form = showConnection();
        QPointer<Form1> watched(&form);
        port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                QTimer::singleShot(20, [watched] { watched->close(); });
        };
        form.Measure->click();
        QCOMPARE(programEnds, 1);
        QVERIFY(!frmMeasure::loaded());
        QVERIFY(!Configure::loaded());
    }

    void connectionExitClosesThePortAndEnds() {
        Form1& form = showConnection();
        form.Command3->click();
        QCOMPARE(programEnds, 1);
        QVERIFY(!Form1::loaded());
        QCOMPARE(port->history.last(), QStringLiteral("close"));
    }

    void resultsCloseBoxClosesEverything() {
        frmMeasure& results = handOver();
        results.close();
        QCOMPARE(programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QCOMPARE(port->history.last(), QStringLiteral("close"));
        QCOMPARE(port->written, QList<QByteArray>()); // nothing sent on the way out
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
