// Framing, identification cutting, reply clean-up and the port-number rules.
#include "connection/PortChoice.h"
#include "link/Framing.h"
#include "link/PortMap.h"

#include <QtTest>

class FramingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framesWithCrLf() {
        QCOMPARE(Framing::frame("*IDN?"), QByteArray("*IDN?\r\n"));
        QCOMPARE(Framing::frame(""), QByteArray("\r\n"));
        QCOMPARE(Framing::frame(":Sens:AVER:COUN 10"), QByteArray(":Sens:AVER:COUN 10\r\n"));
    }

    void lineEndIsAnLfAnywhere() {
        QVERIFY(Framing::holdsLineEnd(QStringLiteral("\n")));
        QVERIFY(Framing::holdsLineEnd(QStringLiteral("1.0\nrest")));
        QVERIFY(!Framing::holdsLineEnd(QStringLiteral("1.0\r")));
        QVERIFY(!Framing::holdsLineEnd(QString()));
    }

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

    void identificationFields_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four fields, CR LF")
            << "Norvale,MX7500,MX75-000123,1.04\r\n"
            << QStringList{"Norvale", "MX7500", "MX75-000123", "1.04"};
        QTest::newRow("blanks kept") << " Norvale , MX7500 ,a,b\n"
                                     << QStringList{" Norvale ", " MX7500 ", "a", "b"};
        QTest::newRow("more fields") << "A,B,C,D,E\r\n" << QStringList{"A", "B", "C", "D"};
        QTest::newRow("no comma") << "MX7500\r\n" << QStringList{"MX7500", "", "", ""};
        QTest::newRow("one comma") << "Norvale,MX7500\r\n"
                                   << QStringList{"Norvale", "MX7500", "", ""};
        QTest::newRow("bare LF") << "\n" << QStringList{"", "", "", ""};
        QTest::newRow("text after LF") << "N,M,S,F\r\nN2,M2\n" << QStringList{"N", "M", "S", "F"};
        QTest::newRow("partial, no LF") << "Norvale,MX75" << QStringList{"Norvale", "MX75", "", ""};
    }
    void identificationFields() {
        QFETCH(QString, reply);
        QFETCH(QStringList, fields);
        const Framing::Identification id = Framing::splitIdentification(reply);
        QCOMPARE((QStringList{id.maker, id.model, id.field3, id.field4}), fields);
    }

    void measurementCleanUpOrder_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("LF") << "0.0125\n"
                            << "0.0125";
        QTest::newRow("leading blanks") << "  0.0125\n"
                                        << "0.0125";
        QTest::newRow("blanks before LF stay") << "0.0125  \n"
                                               << "0.0125  ";
        QTest::newRow("CR LF leaves CR") << "0.0125\r\n"
                                         << "0.0125\r";
        QTest::newRow("LF CR") << "0.0125\n\r"
                               << "0.0125";
        QTest::newRow("text after LF stays") << "1\n2\n"
                                             << "1\n2";
        QTest::newRow("bare LF") << "\n"
                                 << "";
        QTest::newRow("blanks only") << "   "
                                     << "";
        QTest::newRow("tab is not a blank") << "\t1\n"
                                            << "\t1";
    }
    void measurementCleanUpOrder() {
        QFETCH(QString, reply);
        QFETCH(QString, cleaned);
        QCOMPARE(Framing::cleanMeasurementReply(reply), cleaned);
    }

    void portAndBaudRules() {
        QCOMPARE(PortChoice::portNumber("1"), 1);
        QCOMPARE(PortChoice::portNumber("2"), 2);
        QCOMPARE(PortChoice::portNumber("12"), 2);
        QCOMPARE(PortChoice::portNumber(" 1"), 2);
        QCOMPARE(PortChoice::portNumber(""), 2);
        QCOMPARE(PortChoice::baudDigits("19200"), QStringLiteral("19200"));
        QCOMPARE(PortChoice::baudDigits("9600"), QStringLiteral("9600"));
        QCOMPARE(PortChoice::baudDigits("1920"), QStringLiteral("9600"));
        QCOMPARE(PortChoice::baudDigits("abc"), QStringLiteral("9600"));
        QCOMPARE(PortChoice::notAvailableMessage(2), QStringLiteral("Comm port 2 not available"));
    }

    void portMapping() {
        qunsetenv("MX7500_COM1");
        qunsetenv("MX7500_COM2");
#ifdef Q_OS_WIN
        QCOMPARE(PortMap::deviceName(1), QStringLiteral("COM1"));
#endif
        // The Linux defaults depend on the ports of the machine: tst_portorder checks the rule.
        qputenv("MX7500_COM2", "/dev/ttyUSB0");
        QCOMPARE(PortMap::deviceName(2), QStringLiteral("/dev/ttyUSB0"));
        PortMap::setOverride(2, QStringLiteral("/dev/ttyACM3"));
        QCOMPARE(PortMap::deviceName(2), QStringLiteral("/dev/ttyACM3"));
        PortMap::setOverride(2, QString());
        QCOMPARE(PortMap::deviceName(2), QStringLiteral("/dev/ttyUSB0"));
        qunsetenv("MX7500_COM2");
    }
};

QTEST_GUILESS_MAIN(FramingTest)
#include "tst_framing.moc"
