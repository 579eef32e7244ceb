// The numbering of the serial ports the system reports, without any hardware: the rule itself,
// and the port map applying it to a system handed in by the test.
#include "Table.h"
#include "link/PortMap.h"
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

    // "ttyS1 ttyUSB0", as the two devices or a whole list are shown in the tables.
    static QString names(QStringList devices) {
        return devices.replaceInStrings(QStringLiteral("/dev/"), QString()).join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase() {
        qunsetenv("MX7500_COM1");
        qunsetenv("MX7500_COM2");
    }
    void cleanup() {
        PortMap::setSystemSource({});
        PortMap::setOverride(1, QString());
    }

    // Other names after the three kinds, by number then name: ttySC is a UART on an add-in
    // card, ttyAMA and ttyXRUSB other drivers' ports.
    void ordered() {
        QStringList devices;
        for (const PortDescription& port :
             PortOrder::ordered(ports("ttyAMA1 ttySC0 ttyXRUSB0 ttyACM0 ttyUSB0 ttyS1")))
            devices << port.device;
        QCOMPARE(names(devices), "ttyS1 ttyUSB0 ttyACM0 ttySC0 ttyXRUSB0 ttyAMA1");
    }

    void assign_data() {
        // present, named, previous, expected
        columns<QString, QString, QString, QString>();
        row("none", "", "", "", "ttyS0 ttyS1");
        row("one USB adapter, no built-in", "ttyUSB0", "", "", "ttyUSB0 ttyS1");
        row("built-ins in number order", "ttyS1 ttyS0", "", "", "ttyS0 ttyS1");
        row("built-in before adapter", "ttyUSB0 ttyS4", "", "", "ttyS4 ttyUSB0");
        row("two adapters, numbers not letters", "ttyACM0 ttyUSB10 ttyUSB2", "", "",
            "ttyUSB2 ttyUSB10");
        row("usual name not doubled", "ttyS1", "", "", "ttyS1 ttyS0");
        row("named device taken by no other", "ttyUSB0", "ttyUSB0", "", "ttyUSB0 ttyS1");
        row("named device wins over a kept one", "ttyUSB0", "- pts/3", "- ttyUSB0",
            "ttyUSB0 pts/3");
    }
    void assign() {
        const auto [present, named, previous, expected] =
            fetched<QString, QString, QString, QString>();
        const auto result = PortOrder::assign(ports(present), devices(named), devices(previous));
        QCOMPARE(names({result[0], result[1]}), expected);
    }

    // The port map over a system whose ports change between lookups ("ttyUSB0 ttyUSB1 >
    // ttyUSB1": one adapter unplugged); "ttyS0!" is a console of the kernel's, in a line of
    // /proc/consoles as it pads each name to a column. Each step gives ports 1 and 2.
    void deviceName_data() {
        // steps, expected
        columns<QString, QString>();
        row("every console left out", "ttyS0! ttyS1! ttyS2 ttyUSB0", "ttyS2 ttyUSB0");
        row("one unplugged and back, the other keeps its number",
            "ttyUSB0 ttyUSB1 > ttyUSB1 > ttyUSB1 ttyUSB0",
            "ttyUSB0 ttyUSB1 > ttyS0 ttyUSB1 > ttyUSB0 ttyUSB1");
        row("kept while a built-in appears", "ttyUSB0 > ttyS0 ttyUSB0",
            "ttyUSB0 ttyS1 > ttyUSB0 ttyS0");
    }
    void deviceName() {
        const auto [steps, expected] = fetched<QString, QString>();
        QString present;
        PortMap::setSystemSource([&present] {
            PortMap::SystemReport system;
            for (QString device : present.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                if (device.endsWith(QLatin1Char('!')))
                    system.consoles +=
                        device.chopped(1).toLatin1().leftJustified(21) + "-W- (EC p a)    4:64\n";
                system.ports << PortDescription{QStringLiteral("/dev/") + device.remove('!')};
            }
            return system;
        });
        QStringList shown;
        for (const QString& step : steps.split(QStringLiteral(" > "))) {
            present = step;
            shown << names({PortMap::deviceName(1), PortMap::deviceName(2)});
        }
        QCOMPARE(shown.join(QStringLiteral(" > ")), expected);
    }

    // A device named by a link (/dev/serial/by-id/...) is the device the link points to: the
    // other number leaves it alone.
    void namedLinkHoldsItsDevice() {
        QTemporaryDir dir;
        QFile adapter(dir.filePath(QStringLiteral("ttyUSB0")));
        QVERIFY(adapter.open(QIODevice::WriteOnly));
        const QString device = QFileInfo(adapter).canonicalFilePath();
        const QString link = dir.filePath(QStringLiteral("usb-FTDI_FT232R-if00-port0"));
        QVERIFY(QFile::link(device, link));
        PortMap::setSystemSource([&] {
            return PortMap::SystemReport{
                {PortDescription{device}, PortDescription{"/dev/ttyUSB1"}}};
        });
        PortMap::setOverride(1, link);
        QCOMPARE(PortMap::deviceName(1), link);
        QCOMPARE(PortMap::deviceName(2), QStringLiteral("/dev/ttyUSB1"));
    }
};

QTEST_GUILESS_MAIN(PortOrderTest)
#include "tst_portorder.moc"
