// Reply cutting and the identification's fields as plain functions; the reply wait and the
// identification exchange against the in-memory port: every way a wait ends, and what is
// taken from it.
#include "Panel.h"
#include "Timing.h"
#include "link/Framing.h"
#include "link/Wait.h"

Q_DECLARE_METATYPE(std::optional<Answer>)

// The shared fixture's scripted operator, with an open in-memory port of the test's own.
class LinkTest : public Panel {
    Q_OBJECT

    // "text@ms|..." makes each text arrive after its delay, "hangup@ms" kills the line and
    // "calloff@ms" closes the windows under the wait.
    void play(const QString& script) {
        for (const QString& step : script.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const QString text = step.section(QLatin1Char('@'), 0, 0);
            const int ms = step.section(QLatin1Char('@'), 1).toInt();
            if (text == QLatin1String("hangup"))
                port->hangUp(ms);
            else if (text == QLatin1String("calloff"))
                QTimer::singleShot(ms, [] { Wait::callOffAll(); });
            else
                port->deliver(text.toLatin1(), ms);
        }
    }

private Q_SLOTS:
    void replyIsCappedAndKeepsEveryByte() {
        QString reply;
        Framing::appendReceived(reply, QByteArray("\xb5\x00z", 3));
        QCOMPARE(reply.size(), 3);
        QCOMPARE(reply.at(0).unicode(), ushort(0xb5));
        Framing::appendReceived(reply, QByteArray(Framing::kMaxReplyBytes, 'x'));
        QCOMPARE(reply.size(), Framing::kMaxReplyBytes);
        Framing::appendReceived(reply, "\n");
        QCOMPARE(reply.size(), Framing::kMaxReplyBytes);
    }

    // Four fields with CR LF are taken in the identification exchange below.
    void identificationFields_data() {
        // reply, fields
        columns<QString, QString>();
        row("blanks kept", " Norvale , MX7500 ,a,b\n", " Norvale | MX7500 |a|b");
        row("one comma", "Norvale,MX7500\r\n", "Norvale|MX7500||");
        row("text after LF", "N,M,S,F\r\nN2,M2\n", "N|M|S|F");
        row("partial, no LF", "Norvale,MX75", "Norvale|MX75||");
    }
    void identificationFields() {
        const auto [reply, fields] = fetched<QString, QString>();
        const Framing::Identification id = Framing::splitIdentification(reply);
        QCOMPARE((QStringList{id.maker, id.model, id.field3, id.field4}), cells(fields));
    }

    void measurementCleanUpOrder_data() {
        // reply, cleaned
        columns<QString, QString>();
        row("leading blanks", "  0.0125\n", "0.0125");
        row("blanks before LF stay", "0.0125  \n", "0.0125  ");
        row("CR LF leaves CR", "0.0125\r\n", "0.0125\r");
        row("LF CR", "0.0125\n\r", "0.0125");
        row("text after LF stays", "1\n2\n", "1\n2");
        row("blanks only", "   ", "");
        row("tab is not a blank", "\t1\n", "\t1");
    }
    void measurementCleanUpOrder() {
        const auto [reply, cleaned] = fetched<QString, QString>();
        QCOMPARE(Framing::cleanMeasurementReply(reply), cleaned);
    }

    void init() {
        Panel::init();
        port = new FakeSerialPort;
        port->setPortOpen(true);
        Module1::setPort(port);
    }
    void cleanup() {
        Panel::cleanup();
        delete port;
    }

    void replyWait_data() {
        // script, answer (to the not-responding box), reply, fromMs, toMs
        columns<QString, std::optional<Answer>, QString, int, int>();
        const std::optional<Answer> none, ok(Answer::Ok), cancel(Answer::Cancel);
        row("pieces, ends at the LF", "1.25@5|0000e-02@15|\nafter@25|late\n@200", none,
            "1.250000e-02\nafter", 0, 150);
        row("late LF, no polling", "x\n@300", none, "x\n", 300, 1000);
        row("partial at the deadline", "1.25@50", none, "1.25", 10000, 10500);
        row("silence, OK", "", ok, "", 10000, 10500);
        row("silence, Cancel", "", cancel, "", 10000, 10500);
        row("dead line", "hangup@30", ok, "", 0, 1000);
        row("fragment, then dead line", "1.25@5|hangup@30", ok, "", 0, 1000);
        row("windows closed", "calloff@30", none, "", 0, 1000);
    }
    void replyWait() {
        const auto [script, answer, reply, fromMs, toMs] =
            fetched<QString, std::optional<Answer>, QString, int, int>();
        play(script);
        if (answer)
            prompt->expect(kNotResponding, Buttons::OkCancel, *answer);
        within(msTaken([] { Module1::ReadReply(); }), fromMs, toMs);
        QCOMPARE(Module1::sReply, reply);
        QCOMPARE(Module1::bTimeout, reply.isEmpty());
        QCOMPARE(abandoned, answer == Answer::Cancel ? 1 : 0);
        // A poll loop would read the port thousands of times.
        QVERIFY2(port->inputCalls < 20, qPrintable(QString::number(port->inputCalls)));
    }

    // An empty line, then the query; what came before the query is not the answer; fewer
    // than two commas do not fail; silence keeps the earlier fields.
    void identify_data() {
        // script (played when the query is sent), fields
        columns<QString, QString>();
        row("four fields", "Norvale,MX7500,MX75-000123,1.04\r\n@3",
            "Norvale|MX7500|MX75-000123|1.04");
        row("silence", "", "Old|MX7400||");
    }
    void identify() {
        const auto [script, fields] = fetched<QString, QString>();
        Module1::sIdnMaker = QStringLiteral("Old");
        Module1::sIdnModel = QStringLiteral("MX7400");
        port->preload("1.250000e-02\n");
        port->onCommand = [&](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                play(script);
        };
        if (script.isEmpty())
            prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok);
        Module1::Identify();
        QCOMPARE(port->written, (QList<QByteArray>{"\r\n", "*IDN?\r\n"}));
        QCOMPARE(Module1::bTimeout, script.isEmpty());
        QCOMPARE((QStringList{Module1::sIdnMaker, Module1::sIdnModel, Module1::sIdnField3,
                              Module1::sIdnField4}),
                 cells(fields));
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
