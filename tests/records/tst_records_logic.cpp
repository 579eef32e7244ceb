// Test records' plain rules: the asset and operator names refused with their messages, the
// record made from a reading, the change since the previous record, its text and its flag.
#include "Table.h"
#include "readings/Reading.h"
#include "records/RecordLogic.h"
#include "records/RecordTexts.h"

#include <QtTest>

#include <ctime>
#include <tuple>

using Records::Record;
using Verdict = Limits::Verdict;
Q_DECLARE_METATYPE(Record)

namespace {

const double kNone = Records::kNone;
const QString kEmpty = QStringLiteral("Enter the asset the reading was taken on (a joint, "
                                      "winding, part or serial number) before recording.");
const QString kControl = QStringLiteral("The asset name contains a control character (a tab "
                                        "or line break, for instance); type it again without.");

Record valued(double rx, double rtc) {
    Record record;
    record.rx = rx;
    record.rtc = rtc;
    return record;
}

} // namespace

class RecordsLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        qputenv("TZ", "Europe/Berlin"); // +01:00 in winter, +02:00 in summer
        tzset();
    }

    void assetNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("stored");
        const QString x64(64, QLatin1Char('x'));
        QString emoji64;
        for (int i = 0; i < 64; ++i)
            emoji64 += QString::fromUcs4(U"\U0001F50C", 1);
        row("plain", "Busbar joint 3", "", "Busbar joint 3");
        row("blanks around, as a scanner may leave them", "  SN-0042 ", "", "SN-0042");
        row("injection text kept as text", "x'); DROP TABLE records;--", "",
            "x'); DROP TABLE records;--");
        row("empty", "", kEmpty, "");
        row("only blanks", "   ", kEmpty, "");
        row("64 characters", x64, "", x64);
        row("64 characters and blanks", " " + x64 + " ", "", x64);
        row("65 characters", x64 + "y", "The asset name has 65 characters; at most 64 are allowed.",
            x64 + "y");
        row("64 characters outside the BMP", emoji64, "", emoji64);
        row("tab", "J\t1", kControl, "J\t1");
        row("line break inside", "J\n1", kControl, "J\n1");
        row("escape",
            "J\x1b"
            "1",
            kControl,
            "J\x1b"
            "1");
        row("line separator", QString::fromUtf16(u"J\u20281"), kControl,
            QString::fromUtf16(u"J\u20281"));
    }
    void assetNames() {
        QFETCH(QString, typed);
        QFETCH(QString, problem);
        QFETCH(QString, stored);
        QCOMPARE(Records::assetProblem(typed), problem);
        QCOMPARE(Records::name(typed), stored);
    }

    // The operator may stay anonymous, but a name is checked as an asset's is.
    void operatorNames() {
        QCOMPARE(Records::operatorProblem(QString()), QString());
        QCOMPARE(Records::operatorProblem(QStringLiteral("A. Technician")), QString());
        QCOMPARE(Records::operatorProblem(QString(65, QLatin1Char('o'))),
                 QStringLiteral("The operator's name has 65 characters; at most 64 are allowed."));
        QVERIFY(
            Records::operatorProblem(QStringLiteral("A\tB"))
                .startsWith(QStringLiteral("The operator's name contains a control character")));
    }

    // What is kept of a reading: its time with the offset of the place then, trimmed names,
    // the values, the limits and verdict, and the material only when it named the coefficient.
    void recordOfReading_data() {
        QTest::addColumn<bool>("corrected");
        QTest::addColumn<QString>("materialBox");
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<QString>("material");
        QTest::addColumn<QString>("time");
        row("winter, copper", true, "Copper", Q_INT64_C(1772443800123), "Copper",
            "2026-03-02T10:30:00.123+01:00");
        row("summer, a typed coefficient", true, "0.00393", Q_INT64_C(1783000000000), "",
            "2026-07-02T15:46:40.000+02:00");
        row("correction off: no material", false, "Copper", Q_INT64_C(1772443800123), "",
            "2026-03-02T10:30:00.123+01:00");
    }
    void recordOfReading() {
        QFETCH(bool, corrected);
        QFETCH(QString, materialBox);
        QFETCH(qint64, msecs);
        QFETCH(QString, material);
        QFETCH(QString, time);
        Reading reading;
        reading.time = msecs;
        reading.rx = 0.0125;
        reading.corrected = corrected;
        reading.rtc = corrected ? 0.0123 : kNone;
        reading.temperature = corrected ? 23.5 : kNone;
        reading.tempco = corrected ? 0.004 : kNone;
        reading.verdict = Verdict::High;
        const Limits::Settings limits{Limits::Mode::Window, 0, 0, 0.012, 0.0122};
        const Records::Meter meter{"Norvale", "MX7500", "MX75-000123", "1.04"};
        const Record record = Records::recordOf(
            reading, limits,
            {QStringLiteral(" J1 "), QStringLiteral(" Ann "), "  cold  ", materialBox}, meter,
            QStringLiteral("1.00"));
        QCOMPARE(Records::isoTime(record.time), time);
        QCOMPARE(record.time.toMSecsSinceEpoch(), msecs);
        QCOMPARE(QStringList({record.asset, record.operatorName, record.note, record.material}),
                 QStringList({"J1", "Ann", "cold", material}));
        QCOMPARE(record.rx, 0.0125);
        QCOMPARE(std::isnan(record.rtc), !corrected);
        QCOMPARE(std::isnan(record.temperature), !corrected);
        QCOMPARE(record.limits.high, 0.0122);
        QCOMPARE(record.verdict, Verdict::High);
        QCOMPARE(record.meter.serial, QStringLiteral("MX75-000123"));
        QCOMPARE(record.programVersion, QStringLiteral("1.00"));
    }

    // Rtc against Rtc when both have one, else Rx against Rx; nothing against zero or none.
    void change_data() {
        QTest::addColumn<Record>("previous");
        QTest::addColumn<Record>("current");
        QTest::addColumn<double>("percent"); // NaN: no change
        row("Rx rose", valued(0.010, kNone), valued(0.0124, kNone), 24.0);
        row("Rx fell", valued(0.010, kNone), valued(0.0097, kNone), -3.0);
        row("Rtc compared, not Rx", valued(0.010, 0.020), valued(0.011, 0.021), 5.0);
        row("only one corrected: Rx", valued(0.010, 0.020), valued(0.011, kNone), 10.0);
        row("only the other corrected: Rx", valued(0.010, kNone), valued(0.011, 0.5), 10.0);
        row("previous zero", valued(0.0, kNone), valued(0.011, kNone), kNone);
        row("previous without a value", valued(kNone, kNone), valued(0.011, kNone), kNone);
        row("current without a value", valued(0.01, kNone), valued(kNone, kNone), kNone);
    }
    void change() {
        QFETCH(Record, previous);
        QFETCH(Record, current);
        QFETCH(double, percent);
        const std::optional<double> change = Records::changePercent(previous, current);
        QCOMPARE(change.has_value(), !std::isnan(percent));
        if (change)
            QVERIFY2(std::abs(*change - percent) < 1e-9, qPrintable(QString::number(*change)));
        QCOMPARE(Records::value(previous), std::isnan(previous.rtc) ? previous.rx : previous.rtc);
    }

    // One decimal, the sign always written, the region's separator, and the previous record's
    // own date (00:30 at +01:00 is still the 2nd there).
    void changeTexts_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        const QLocale english(QLocale::English);
        const QLocale german(QLocale::German, QLocale::Germany);
        row("rise", 12.44, english, "+12.4 % since 2026-03-02");
        row("rise, German", 12.44, german, "+12,4 % since 2026-03-02");
        row("fall rounded away from zero", -3.05, english, "-3.1 % since 2026-03-02");
        row("tiny fall", -0.04, english, "0.0 % since 2026-03-02");
        row("large rise, German", 1234.5, german, "+1.234,5 % since 2026-03-02");
    }
    void changeTexts() {
        QFETCH(double, percent);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        const QDateTime previous =
            QDateTime::fromString(QStringLiteral("2026-03-02T00:30:00+01:00"), Qt::ISODate);
        QCOMPARE(Records::changeText(percent, previous, locale), text);
    }

    // Each row's change against the row before, flagged beyond the limit either way, the
    // numbers in the region's format.
    void historyRows() {
        std::vector<Record> records;
        for (auto [time, rx, rtc] : {std::tuple{"2026-03-02T10:00:00+01:00", 0.010, kNone},
                                     std::tuple{"2026-03-03T10:00:00+01:00", 0.0105, kNone},
                                     std::tuple{"2026-04-01T09:00:00+02:00", 0.013, 0.0128},
                                     std::tuple{"2026-04-02T09:00:00+02:00", 0.0099, 0.0098}}) {
            Record record = valued(rx, rtc);
            record.time = QDateTime::fromString(QString::fromLatin1(time), Qt::ISODate);
            records.push_back(record);
        }
        QStringList got;
        for (const Records::HistoryRow& row :
             Records::historyRows(records, 20.0, QLocale(QLocale::German, QLocale::Germany)))
            got << QStringList({row.cells[0], row.cells[1], row.cells[2], row.cells[6],
                                row.flagged ? "!" : ""})
                       .join('|');
        QCOMPARE(got,
                 QStringList({"2026-03-02 10:00|10 mOhm|||", "2026-03-03 10:00|10,5 mOhm||+5,0 %|",
                              "2026-04-01 09:00|13 mOhm|12,8 mOhm|+23,8 %|!",
                              "2026-04-02 09:00|9,9 mOhm|9,8 mOhm|-23,4 %|!"}));
    }

    // Every field, "." in numbers whatever the region, ISO times, texts with a comma, quote or
    // line break quoted, the band of either kind of limits.
    void csv() {
        Record record = valued(0.0125, kNone);
        record.time = QDateTime::fromString("2026-03-02T10:30:00.123+01:00", Qt::ISODateWithMs);
        record.asset = QStringLiteral("Joint \"A\", bay 3");
        record.note = QStringLiteral("two\nlines");
        record.operatorName = QStringLiteral("Doe, J.");
        record.limits = {Limits::Mode::Tolerance, 0.0125, 2.0, 0, 0};
        record.verdict = Verdict::Pass;
        record.meter = {"Norvale", "MX7500", "MX75-000123", "1.04"};
        record.programVersion = QStringLiteral("1.00");
        Record second = record;
        second.asset = QStringLiteral("J2");
        second.note.clear();
        second.rtc = 0.0123;
        second.temperature = 23.5;
        second.tempco = 0.004;
        second.material = QStringLiteral("Copper");
        second.limits = {};
        second.verdict = Verdict::None;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString text = Records::csvText({record, second});
        QLocale::setDefault(QLocale::c());
        QCOMPARE(
            text.split("\r\n"),
            QStringList(
                {"time,asset,operator,note,rx_ohm,rtc_ohm,temperature_c,tempco_per_c,"
                 "material,limit_low_ohm,limit_high_ohm,verdict,meter_maker,"
                 "meter_model,meter_serial,meter_firmware,program_version",
                 "2026-03-02T10:30:00.123+01:00,\"Joint \"\"A\"\", bay 3\",\"Doe, J.\",\"two\n"
                 "lines\",0.0125,,,,,0.01225,0.01275,PASS,Norvale,MX7500,"
                 "MX75-000123,1.04,1.00",
                 "2026-03-02T10:30:00.123+01:00,J2,\"Doe, J.\",,0.0125,0.0123,23.5,0.004,Copper,"
                 ",,,Norvale,MX7500,MX75-000123,1.04,1.00",
                 ""}));
    }

    void flags_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<bool>("flagged");
        row("at the limit", 20.0, false);
        row("just beyond", 20.01, true);
        row("30 % rise", 30.0, true);
        row("fall at the limit", -20.0, false);
        row("fall beyond", -25.0, true);
    }
    void flags() {
        QFETCH(double, percent);
        QFETCH(bool, flagged);
        QCOMPARE(Records::flagged(percent, Records::kDefaultChangeLimitPercent), flagged);
    }
};

QTEST_GUILESS_MAIN(RecordsLogicTest)
#include "tst_records_logic.moc"
