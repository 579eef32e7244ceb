// Test records' plain rules: the asset and operator names refused with their messages, the
// record made from a reading, the change since the previous record, its text and its flag,
// the CSV export, and the team server's address.
#include "PdfText.h"
#include "RecordSamples.h"
#include "Table.h"
#include "readings/Reading.h"
#include "records/Certificate.h"
#include "records/RecordLogic.h"
#include "records/RecordTexts.h"
#include "records/TeamUri.h"

#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <tuple>

using Records::Record;
Q_DECLARE_METATYPE(Record)

namespace {

const double kNone = Records::kNone;
const QString kEmpty = QStringLiteral("Enter the asset the reading was taken on (a joint, "
                                      "winding, part or serial number) before recording.");
const QString kControl = QStringLiteral("The %1 contains a control character (a tab or line "
                                        "break, for instance); type it again without.");
const QString kLong = QStringLiteral("The %1 has 65 characters; at most 64 are allowed.");

Record valued(double rx, double rtc, const char* isoTime = "2026-03-02T10:30:00.123+01:00") {
    Record record;
    record.time = QDateTime::fromString(QString::fromLatin1(isoTime), Qt::ISODateWithMs);
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

    // Blanks at either end are no part of a name; at most 64 characters (not UTF-16 units);
    // no control characters. The operator may stay anonymous.
    void names_data() {
        // isAsset, typed, problem, stored
        columns<bool, QString, QString, QString>();
        const QString x64(64, QLatin1Char('x'));
        const QString plugs64 = QString::fromUcs4(U"\U0001F50C", 1).repeated(64);
        row("blanks around, as a scanner may leave them", true, "  SN-0042 ", "", "SN-0042");
        row("only blanks", true, "   ", kEmpty, "");
        row("64 characters and blanks", true, " " + x64 + " ", "", x64);
        row("65 characters", true, x64 + "y", kLong.arg("asset name"), x64 + "y");
        row("64 characters outside the BMP", true, plugs64, "", plugs64);
        row("tab", true, "J\t1", kControl.arg("asset name"), "J\t1");
        row("line separator", true, QString::fromUtf16(u"J\u20281"), kControl.arg("asset name"),
            QString::fromUtf16(u"J\u20281"));
        row("anonymous operator", false, "", "", "");
        row("operator too long", false, QString(65, 'o'), kLong.arg("operator's name"),
            QString(65, 'o'));
        row("operator with a tab", false, "A\tB", kControl.arg("operator's name"), "A\tB");
    }
    void names() {
        const auto [isAsset, typed, problem, stored] = fetched<bool, QString, QString, QString>();
        QCOMPARE(isAsset ? Records::assetProblem(typed) : Records::operatorProblem(typed), problem);
        QCOMPARE(Records::name(typed), stored);
    }

    // What is kept of a reading: its time with the offset of the place then, trimmed texts,
    // and the material only when the correction was on and the box named one.
    void recordOfReading_data() {
        // corrected, materialBox, msecs, fields
        columns<bool, QString, qint64, QString>();
        row("winter, copper", true, "Copper", Q_INT64_C(1772443800123),
            "2026-03-02T10:30:00.123+01:00|J1|Ann|cold|Copper|0.0123");
        row("summer, a typed coefficient", true, "0.00393", Q_INT64_C(1783000000000),
            "2026-07-02T15:46:40.000+02:00|J1|Ann|cold||0.0123");
        row("correction off: no material", false, "Copper", Q_INT64_C(1772443800123),
            "2026-03-02T10:30:00.123+01:00|J1|Ann|cold||nan");
    }
    void recordOfReading() {
        const auto [corrected, materialBox, msecs, fields] =
            fetched<bool, QString, qint64, QString>();
        Reading reading;
        reading.time = msecs;
        reading.rx = 0.0125;
        reading.corrected = corrected;
        reading.rtc = corrected ? 0.0123 : kNone;
        const Record r = Records::recordOf(reading, {}, {" J1 ", " Ann ", "  cold  ", materialBox},
                                           {}, QStringLiteral("1.00"));
        QCOMPARE(QStringList({Records::isoTime(r.time), r.asset, r.operatorName, r.note, r.material,
                              QString::number(r.rtc)})
                     .join('|'),
                 fields);
    }

    // Rtc against Rtc when both have one, else Rx against Rx; nothing against zero or none.
    void change_data() {
        // previous, current, percent (NaN: no change)
        columns<Record, Record, double>();
        row("Rx rose", valued(0.010, kNone), valued(0.0124, kNone), 24.0);
        row("Rtc compared, not Rx", valued(0.010, 0.020), valued(0.011, 0.021), 5.0);
        row("only the previous corrected: Rx", valued(0.010, 0.020), valued(0.011, kNone), 10.0);
        row("previous zero", valued(0.0, kNone), valued(0.011, kNone), kNone);
        row("current without a value", valued(0.01, kNone), valued(kNone, kNone), kNone);
    }
    void change() {
        const auto [previous, current, percent] = fetched<Record, Record, double>();
        const std::optional<double> change = Records::changePercent(previous, current);
        QCOMPARE(change.has_value(), !std::isnan(percent));
        if (change)
            QVERIFY2(std::abs(*change - percent) < 1e-9, qPrintable(QString::number(*change)));
    }

    // An asset's chart shows Rtc when every record with a value has one, else Rx throughout:
    // never a line from one to the other.
    void chartQuantity() {
        using Records::Quantity;
        for (auto [records, quantity] :
             {std::pair{std::vector<Record>{valued(0.01, 0.011), valued(0.02, 0.021)},
                        Quantity::Rtc},
              {{valued(0.01, kNone), valued(0.02, 0.021)}, Quantity::Rx},
              {{valued(0.01, 0.011), valued(0.02, kNone)}, Quantity::Rx}}) {
            QCOMPARE(Records::chartQuantity(records), quantity);
            QCOMPARE(Records::valueOf(records[1], quantity),
                     quantity == Quantity::Rtc ? records[1].rtc : records[1].rx);
        }
    }

    // One decimal, the sign always written, the region's separator, and the previous record's
    // own date (00:30 at +01:00 is still the 2nd there). Beyond the limit either way, as the
    // figure shows it, is flagged: whatever reads "+20.0 %" or "-20.0 %" is not.
    void changeTexts() {
        const QDateTime previous = valued(0, 0, "2026-03-02T00:30:00.000+01:00").time;
        QCOMPARE(Records::changeText(12.44, previous, QLocale::c()), "+12.4 % since 2026-03-02");
        QCOMPARE(Records::changeText(-3.05, previous, QLocale::c()), "-3.1 % since 2026-03-02");
        QCOMPARE(Records::changeText(-0.04, previous, QLocale::c()), "0.0 % since 2026-03-02");
        for (auto [percent, flagged] : {std::pair{20.04, false},
                                        {-20.04, false},
                                        {19.96, false},
                                        {-19.96, false},
                                        {20.06, true},
                                        {-20.06, true}})
            QCOMPARE(Records::flagged(percent, 20.0), flagged);
    }

    // A record's day is its own date where it was taken (00:30 at +01:00 is the 2nd, though
    // still the 1st in UTC); both ends included; an end not given is open.
    void dates_data() {
        // from, to, contained
        columns<QDate, QDate, bool>();
        const QDate day(2026, 3, 2);
        row("the last day", QDate(), day, true);
        row("the first day", day, day.addDays(3), true);
        row("the day after", day.addDays(1), QDate(), false);
        row("the day before", QDate(), day.addDays(-1), false);
    }
    void dates() {
        const auto [from, to, contained] = fetched<QDate, QDate, bool>();
        const Records::Dates dates{from, to};
        QCOMPARE(dates.contain(valued(0, 0, "2026-03-02T00:30:00.000+01:00").time), contained);
        QCOMPARE(Records::within({valued(1, 0, "2026-03-02T00:30:00.000+01:00")}, dates).size(),
                 size_t(contained));
    }

    // The certificate read back as text: the program, meter, issuer and date; each asset's
    // records of the dates with who measured, the time with its offset, values in the
    // region's format, the correction's material and coefficient with its unit, limits,
    // verdicts, stable marks, flagged changes (since the record before, even one before the
    // dates) and the bench that recorded each, each cell apart from the next; the count of
    // verdicts, records without limits among them; every page numbered. An asset without
    // records of the dates is left out.
    void certificate_data() {
        // from, to, texts present, whole cells present, texts absent
        columns<QDate, QDate, QStringList, QStringList, QStringList>();
        row("every date", QDate(), QDate(),
            QStringList{"Program: MX7500 1.00 Meter: Norvale MX7500, serial number MX75-000123, "
                        "firmware 1.04 Issued by: Ann Date: 2026-12-07 Asset: Joint 1",
                        "Asset: Joint 4",
                        "Summary: 9 records; PASS 4, LOW 1, HIGH 3, not judged 1.", "Page 1 of 2",
                        "Page 2 of 2"},
            QStringList{"Bo", "Cy", "Bench 1", "Bay 2 west", "12,5 mOhm", "PASS", "PASS, stable",
                        "15,1 mOhm", "17,1 mOhm", "HIGH", "+20,8 % !", "LOW", "-19,2 %", "23,5 °C,",
                        "Copper,", "0,00393 /°C", "2026-03-02 10:30", "+01:00", "stable"},
            QStringList{"Records dated", "Operator: ", "Rtc (corrected to 20 °C)"});
        row("from a day on", QDate(2026, 3, 5), QDate(),
            QStringList{"Date: 2026-12-07 Records dated: from 2026-03-05 Asset: Joint 1",
                        "Summary: 4 records; PASS 0, LOW 1, HIGH 3, not judged 0.",
                        "Rtc (corrected to 20 °C)"},
            QStringList{"+20,8 % !"}, QStringList{"2026-03-02", "Joint 5", "PASS, stable"});
        row("one record", QDate(), QDate(2026, 2, 1),
            QStringList{"Summary: 1 record; PASS 0, LOW 0, HIGH 0, not judged 1."},
            QStringList{"stable"}, QStringList{"Joint 1", ", stable"});
    }
    void certificate() {
        const auto [from, to, present, whole, absent] =
            fetched<QDate, QDate, QStringList, QStringList, QStringList>();
        std::vector<std::vector<Record>> assets;
        for (int a = 1; a <= 4; ++a) {
            Record first = valued(0.0125, kNone);
            first.asset = QStringLiteral("Joint %1").arg(a);
            first.operatorName = QStringLiteral("Bo");
            first.bench = QStringLiteral("Bench 1");
            first.limits = {Limits::Mode::Window, 0, 0, 0.012, 0.013};
            first.verdict = Limits::Verdict::Pass;
            first.stable = a == 2;
            first.meter = {"Norvale", "MX7500", "MX75-000123", "1.04"};
            Record second = first;
            second.operatorName = QStringLiteral("Cy");
            second.bench = QStringLiteral("Bay 2 west");
            second.time = first.time.addDays(7);
            second.stable = false;
            std::tie(second.rx, second.rtc, second.verdict) =
                a == 1 ? std::tuple(0.0101, kNone, Limits::Verdict::Low)
                       : std::tuple(0.0151, 0.0171, Limits::Verdict::High);
            std::tie(second.temperature, second.tempco, second.material) =
                std::tuple(23.5, 0.00393, QStringLiteral("Copper"));
            assets.push_back({first, second});
        }
        Record early = valued(0.009, kNone, "2026-02-01T10:30:00.000+01:00");
        early.asset = QStringLiteral("Joint 5");
        early.stable = true; // no limits: no verdict, yet settled
        assets.push_back({early});
        const QTemporaryDir dir;
        const QString file = dir.filePath("certificate.pdf");
        QString error;
        QVERIFY2(Records::writeCertificate(
                     file, {"MX7500 1.00", "Ann", QDate(2026, 12, 7), {from, to}}, assets, 20.0,
                     error, QLocale(QLocale::German, QLocale::Germany)),
                 qPrintable(error));
        const QString text = pdfText(file);
        const QStringList cells = pdfCells(file);
        for (const QString& expected : std::as_const(present))
            QVERIFY2(text.contains(QString(expected).remove(' ')),
                     qPrintable(expected + ": " + text));
        for (const QString& cell : std::as_const(whole))
            QVERIFY2(cells.contains(cell),
                     qPrintable(cell + " is no cell of " + cells.join(" | ")));
        for (const QString& unexpected : std::as_const(absent))
            QVERIFY2(!text.contains(QString(unexpected).remove(' ')), qPrintable(unexpected));
    }

    // A long asset over pages: a name of the longest length allowed printed whole, wrapped
    // at the margin; rows continued on a page under the asset's name and the column header
    // again; no page ending on a heading or a column header.
    void certificateOverPages() {
        const auto series = [](const QString& name, int count) {
            std::vector<Record> records;
            for (int n = 0; n < count; ++n) {
                Record record = valued(0.0125 + n * 1e-6, kNone);
                std::tie(record.asset, record.operatorName) =
                    std::tuple(name, n % 2 ? QStringLiteral("Bo") : QStringLiteral("Cy"));
                record.time = record.time.addSecs(60 * n);
                records.push_back(record);
            }
            return records;
        };
        const QTemporaryDir dir;
        const QString file = dir.filePath("certificate.pdf");
        const QString header =
            QStringLiteral("TimeOperatorRxRtcCorrectionLimitsVerdictChangeBench");
        // Each page's text; none ends on an asset's heading or the column header.
        const auto pagesOf = [&](const std::vector<std::vector<Record>>& assets) {
            QString error;
            QStringList pages;
            if (!Records::writeCertificate(file, {"MX7500 1.00", "Ann", QDate(2026, 12, 7), {}},
                                           assets, 20.0, error, QLocale::c()))
                return QStringList{error};
            const int count = int(pdfText(file).count(QStringLiteral("Page")));
            for (int page = 1; page <= count; ++page) {
                pages << pdfText(file, page);
                const QString end = pages.last().left(pages.last().lastIndexOf("Page"));
                if (end.endsWith(header) || end.contains(QRegularExpression("Asset:[^:]*$")))
                    return QStringList{"stranded: " + pages.last()};
            }
            return pages;
        };
        // The second asset's heading at every height of a page.
        for (int first = 1; first <= 40; first += 1) {
            const QStringList pages = pagesOf({series("J1", first), series("J2", 2)});
            for (const QString& page : pages)
                QVERIFY2(!page.startsWith("stranded"), qPrintable(page));
        }
        const QString longest = QStringLiteral("Umspannwerk Nord Schaltfeld 12 Sammelschiene "
                                               "OBEN 0042-ABC-XYZ12");
        QCOMPARE(longest.size(), Records::kMaxNameLength);
        const QStringList pages =
            pagesOf({series(QString(Records::kMaxNameLength, 'W'), 60), series(longest, 60)});
        const QString text = pages.join(QString());
        QCOMPARE(text.count("Asset:" + QString(longest).remove(' ') + "Time"), 1);
        QCOMPARE(text.count("Asset:" + QString(64, 'W') + "Time"), 1);
        int continued = 0;
        for (int page = 0; page < pages.size(); ++page) {
            QVERIFY2(page == 0 || pages[page].startsWith("Asset:"), qPrintable(pages[page]));
            continued += pages[page].contains("(continued)" + header);
        }
        QVERIFY2(pages.size() >= 3 && continued >= 2, qPrintable(text));
    }

    // What the operator may write as the team server, and what is refused before anything is
    // sent: a password, another scheme, a setting libpq would misread.
    void uri_data() {
        // text, taken apart (host port database user options) or the error's start
        columns<QString, QString>();
        row("TLS passed on",
            "postgresql://bench1@db.example:5433/team?sslmode=verify-full&"
            "sslrootcert=/etc/ca.pem",
            "db.example 5433 team bench1 sslmode=verify-full;sslrootcert=/etc/ca.pem");
        row("defaults", "postgres://bench2@db/team", "db -1 team bench2 ");
        row("a password", "postgresql://bench1:secret@db/team",
            "The team server's address holds a password");
        row("another scheme", "mysql://bench1@db/team", "The team server \"mysql://");
        row("a setting with a space", "postgresql://b@db/t?options=-c%20x=1",
            "The team server's address has a setting that cannot be used: \"options=-c x=1\"");
    }
    void uri() {
        const auto [text, expected] = fetched<QString, QString>();
        Records::TeamUri uri;
        QString error;
        const QString got = Records::parseTeamUri(text, uri, error)
                                ? QStringLiteral("%1 %2 %3 %4 %5")
                                      .arg(uri.host)
                                      .arg(uri.port)
                                      .arg(uri.database, uri.user, uri.options)
                                : error.left(expected.size());
        QCOMPARE(got, expected);
    }

    // Every field, "." in numbers whatever the region, ISO times, texts with a comma, quote or
    // line break quoted, the band of the limits.
    void csv() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString text = Records::csvText({fullRecord()});
        QLocale::setDefault(QLocale::c());
        QCOMPARE(
            text.split("\r\n"),
            QStringList({"time,asset,operator,note,rx_ohm,rtc_ohm,temperature_c,tempco_per_c,"
                         "material,limit_low_ohm,limit_high_ohm,verdict,stable,meter_maker,"
                         "meter_model,meter_serial,meter_firmware,program_version,bench,"
                         "record_id",
                         "2026-03-02T10:30:00.123+01:00,\"Joint \"\"A\"\", bay 3'); DROP TABLE "
                         "records;--\",\"Doe, J.\",\"two\nlines; "
                         "'quoted'\",0.0125,0.0123,23.5,0.004,Copper,0.01225,"
                         "0.01275,PASS,yes,Norvale,MX7500,MX75-000123,1.04,1.00,\"Bay 3, "
                         "bench 2\",0b6f3c1e-2f4a-4d52-9a57-0c1d2e3f4a5b",
                         ""}));
    }
};

QTEST_MAIN(RecordsLogicTest)
#include "tst_records_logic.moc"
