// The numbering of the serial ports the system reports, without any hardware.
#include "Table.h"
#include "link/PortOrder.h"

#include <QtTest>

class PortOrderTest : public QObject {
    Q_OBJECT

    // "ttyS0 ttyUSB0": devices under /dev; "ttyS0!" is a port the kernel uses as its console.
    static QList<PortDescription> ports(const QString& devices) {
        QList<PortDescription> list;
        for (QString device : devices.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            list << PortDescription{QStringLiteral("/dev/") + device.remove(QLatin1Char('!'))};
            list.last().console = devices.contains(device + QLatin1Char('!'));
        }
        return list;
    }
    // Ports 1 and 2; "-" is none.
    static PortOrder::Devices devices(const QString& names) {
        const QStringList list = names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        PortOrder::Devices result;
        for (int i = 0; i < 2; ++i)
            if (list.value(i, QStringLiteral("-")) != QLatin1String("-"))
                result[i] = QStringLiteral("/dev/") + list[i];
        return result;
    }

private Q_SLOTS:
    void assign_data() {
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("expected");
        row("none", "", "", "", "ttyS0 ttyS1");
        row("one USB adapter, no built-in", "ttyUSB0", "", "", "ttyUSB0 ttyS1");
        row("built-ins in number order", "ttyS1 ttyS0", "", "", "ttyS0 ttyS1");
        row("built-in before adapter", "ttyUSB0 ttyS4", "", "", "ttyS4 ttyUSB0");
        row("built-in console left out", "ttyS0! ttyUSB0", "", "", "ttyUSB0 ttyS1");
        row("two adapters, numbers not letters", "ttyACM0 ttyUSB10 ttyUSB2", "", "",
            "ttyUSB2 ttyUSB10");
        row("one removed keeps the other's number", "ttyUSB1", "", "ttyUSB0 ttyUSB1",
            "ttyS0 ttyUSB1");
        row("plugged back", "ttyUSB1 ttyUSB0", "", "ttyS0 ttyUSB1", "ttyUSB0 ttyUSB1");
        row("kept before a built-in that appears", "ttyS0 ttyUSB0", "", "ttyUSB0", "ttyUSB0 ttyS0");
        row("usual name not doubled", "ttyS1", "", "", "ttyS1 ttyS0");
        row("named device taken by no other", "ttyUSB0", "ttyUSB0", "", "ttyUSB0 ttyS1");
        row("named device wins over a kept one", "ttyUSB0", "- pts/3", "- ttyUSB0",
            "ttyUSB0 pts/3");
    }
    void assign() {
        QFETCH(QString, present);
        QFETCH(QString, named);
        QFETCH(QString, previous);
        QFETCH(QString, expected);
        const auto result = PortOrder::assign(ports(present), devices(named), devices(previous));
        QCOMPARE(result[0].mid(5) + QLatin1Char(' ') + result[1].mid(5), expected);
    }
};

QTEST_GUILESS_MAIN(PortOrderTest)
#include "tst_portorder.moc"
