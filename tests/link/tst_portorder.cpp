// The numbering of the serial ports the system reports, without any hardware.
#include "link/PortOrder.h"

#include <QtTest>

class PortOrderTest : public QObject {
    Q_OBJECT

    // "/dev/ttyS0!" is a port the kernel uses as its console.
    static QList<PortDescription> ports(const QStringList& devices) {
        QList<PortDescription> list;
        for (QString device : devices) {
            const bool console = device.endsWith(QLatin1Char('!'));
            device.remove(QLatin1Char('!'));
            list << PortDescription{QStringLiteral("/dev/") + device};
            list.last().console = console;
        }
        return list;
    }
    static PortOrder::Devices devices(const QStringList& names) {
        PortOrder::Devices result;
        for (int i = 0; i < 2; ++i)
            result[i] = names.value(i).isEmpty() ? QString() : QStringLiteral("/dev/") + names[i];
        return result;
    }

private Q_SLOTS:
    void assign_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("fixed");
        QTest::addColumn<QStringList>("previous");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("none") << none << none << none << QStringList{"ttyS0", "ttyS1"};
        QTest::newRow("one USB adapter, no built-in")
            << QStringList{"ttyUSB0"} << none << none << QStringList{"ttyUSB0", "ttyS1"};
        QTest::newRow("ACM adapter")
            << QStringList{"ttyACM0"} << none << none << QStringList{"ttyACM0", "ttyS1"};
        QTest::newRow("built-ins in number order")
            << QStringList{"ttyS1", "ttyS0"} << none << none << QStringList{"ttyS0", "ttyS1"};
        QTest::newRow("built-in before adapter")
            << QStringList{"ttyUSB0", "ttyS4"} << none << none << QStringList{"ttyS4", "ttyUSB0"};
        QTest::newRow("built-in console left out")
            << QStringList{"ttyS0!", "ttyUSB0"} << none << none << QStringList{"ttyUSB0", "ttyS1"};
        QTest::newRow("two adapters, numbers not letters")
            << QStringList{"ttyACM0", "ttyUSB10", "ttyUSB2"} << none << none
            << QStringList{"ttyUSB2", "ttyUSB10"};
        QTest::newRow("one removed keeps the other's number")
            << QStringList{"ttyUSB1"} << none << QStringList{"ttyUSB0", "ttyUSB1"}
            << QStringList{"ttyS0", "ttyUSB1"};
        QTest::newRow("plugged back")
            << QStringList{"ttyUSB1", "ttyUSB0"} << none << QStringList{"ttyS0", "ttyUSB1"}
            << QStringList{"ttyUSB0", "ttyUSB1"};
        QTest::newRow("kept before a built-in that appears")
            << QStringList{"ttyS0", "ttyUSB0"} << none << QStringList{"ttyUSB0"}
            << QStringList{"ttyUSB0", "ttyS0"};
        QTest::newRow("usual name not doubled")
            << QStringList{"ttyS1"} << none << none << QStringList{"ttyS1", "ttyS0"};
        QTest::newRow("named device taken by no other")
            << QStringList{"ttyUSB0"} << QStringList{"ttyUSB0"} << none
            << QStringList{"ttyUSB0", "ttyS1"};
        QTest::newRow("named device wins over a kept one")
            << QStringList{"ttyUSB0"} << QStringList{"", "pts/3"} << QStringList{"", "ttyUSB0"}
            << QStringList{"ttyUSB0", "pts/3"};
    }
    void assign() {
        QFETCH(QStringList, present);
        QFETCH(QStringList, fixed);
        QFETCH(QStringList, previous);
        QFETCH(QStringList, expected);
        const auto result = PortOrder::assign(ports(present), devices(fixed), devices(previous));
        QCOMPARE((QStringList{result[0].mid(5), result[1].mid(5)}), expected);
    }
};

QTEST_GUILESS_MAIN(PortOrderTest)
#include "tst_portorder.moc"
