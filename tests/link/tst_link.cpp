// The reply wait and the identification exchange against an in-memory port.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "link/Module1.h"
#include "link/Wait.h"

#include <QtTest>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class LinkTest : public QObject {
    Q_OBJECT
    FakeSerialPort* m_port = nullptr;
    ScriptedPrompt* m_prompt = nullptr;
    int m_abandoned = 0;

private Q_SLOTS:
    void init() {
        Module1::reset();
        Wait::resetCallOff();
        m_port = new FakeSerialPort(this);
        m_port->setPortOpen(true);
        Module1::setPort(m_port);
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        m_abandoned = 0;
        Module1::setAbandonHandler([this] { ++m_abandoned; });
    }
    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        delete m_prompt;
        delete m_port;
    }

    void piecesAreJoinedAndTheWaitEndsAtTheLf() {
        m_port->deliver("1.25", 5);
        m_port->deliver("0000e-02", 15);
        m_port->deliver("\nafter", 25);
        m_port->deliver("late\n", 200);
        QElapsedTimer took;
        took.start();
        Module1::ReadReply();
        QVERIFY(took.elapsed() < 150);
        QCOMPARE(Module1::sReply, QStringLiteral("1.250000e-02\nafter"));
        QVERIFY(!Module1::bTimeout);
    }

    void aReplyAlreadyWaitingIsTakenWithoutSleeping() {
        m_port->preload("Norvale,MX7500,S,F\r\n");
        QElapsedTimer took;
        took.start();
        Module1::ReadReply();
        QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(Module1::sReply, QStringLiteral("Norvale,MX7500,S,F\r\n"));
    }

    void aBareLfIsAReply() {
        m_port->deliver("\n");
        Module1::ReadReply();
        QCOMPARE(Module1::sReply, QStringLiteral("\n"));
        QVERIFY(!Module1::bTimeout);
    }

    void identifySendsAnEmptyLineThenTheQueryAndCutsTheFields() {
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                m_port->deliver("Norvale,MX7500,MX75-000123,1.04\r\n", 3);
        };
        Module1::Identify();
        QCOMPARE(m_port->written, (QList<QByteArray>{"\r\n", "*IDN?\r\n"}));
        QVERIFY(!Module1::bTimeout);
        QCOMPARE(Module1::sIdn, QStringLiteral("Norvale,MX7500,MX75-000123,1.04\r\n"));
        QCOMPARE(Module1::sIdnMaker, QStringLiteral("Norvale"));
        QCOMPARE(Module1::sIdnModel, QStringLiteral("MX7500"));
        QCOMPARE(Module1::sIdnField3, QStringLiteral("MX75-000123"));
        QCOMPARE(Module1::sIdnField4, QStringLiteral("1.04"));
    }

    void identifyIgnoresWhatArrivedBeforeTheQuery() {
        m_port->preload("1.250000e-02\n");
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                m_port->deliver("Norvale,MX7500,S,F\r\n", 3);
        };
        Module1::Identify();
        QCOMPARE(Module1::sIdnMaker, QStringLiteral("Norvale"));
        QCOMPARE(Module1::sIdnModel, QStringLiteral("MX7500"));
    }

    void identifyWithoutCommasDoesNotFail() {
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                m_port->deliver("\n");
        };
        Module1::Identify();
        QVERIFY(!Module1::bTimeout);
        QCOMPARE(Module1::sIdnMaker, QString());
        QCOMPARE(Module1::sIdnModel, QString());
    }

    void silenceThenOkKeepsTheEarlierFields() {
        Module1::sIdnMaker = QStringLiteral("Norvale");
        Module1::sIdnModel = QStringLiteral("MX7500");
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
        QElapsedTimer took;
        took.start();
        Module1::Identify();
        const qint64 elapsed = took.elapsed();
        QVERIFY2(elapsed >= 10000 && elapsed < 10500, qPrintable(QString::number(elapsed)));
        QVERIFY(Module1::bTimeout);
        QCOMPARE(Module1::sReply, QString());
        QCOMPARE(Module1::sIdnMaker, QStringLiteral("Norvale"));
        QCOMPARE(Module1::sIdnModel, QStringLiteral("MX7500"));
        QCOMPARE(m_abandoned, 0);
    }

    void silenceThenCancelLeavesTheProgram() {
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Cancel);
        Module1::ReadReply();
        QCOMPARE(m_abandoned, 1);
    }

    void partialTextAtTheDeadlineIsAReply() {
        m_port->deliver("1.25", 50);
        Module1::ReadReply();
        QCOMPARE(Module1::sReply, QStringLiteral("1.25"));
        QVERIFY(!Module1::bTimeout);
    }

    void aLineThatDiesEndsTheWaitAtOnce() {
        m_port->hangUp(30);
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
        QElapsedTimer took;
        took.start();
        Module1::ReadReply();
        QVERIFY(took.elapsed() < 1000);
        QVERIFY(Module1::bTimeout);
    }

    void aClosedPortGivesTheNotRespondingBox() {
        m_port->setPortOpen(false);
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
        Module1::Identify();
        QVERIFY(m_port->written.isEmpty());
        QVERIFY(Module1::bTimeout);
    }

    void aWaitCalledOffEndsWithoutAsking() {
        QTimer::singleShot(30, [] { Wait::callOffAll(); });
        Module1::ReadReply();
        QVERIFY(Module1::bTimeout);
    }

    void theWaitSleepsInsteadOfPolling() {
        m_port->deliver("x\n", 300);
        Module1::ReadReply();
        // A poll loop would read the port thousands of times in 300 ms.
        QVERIFY2(m_port->inputCalls < 20, qPrintable(QString::number(m_port->inputCalls)));
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
