// Number text, reply reading, engineering scaling, the correction arithmetic, the correction
// entries' checks and the data-line fields: the plain functions of a measurement.
#include "measurement/Correction.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/DataLines.h"
#include "measurement/MeasurementCycle.h"
#include "measurement/NumberText.h"
#include "measurement/ScaleReading.h"

#include <QtTest>

#include <cfloat>
#include <cmath>

using CorrectionSettings::Verdict;
Q_DECLARE_METATYPE(Verdict)

namespace {
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
} // namespace

class NumbersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numberText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("german");
        QTest::newRow("twelve and a half") << 12.5f << "12.5"
                                           << "12,5";
        QTest::newRow("one") << 1.0f << "1"
                             << "1";
        QTest::newRow("zero") << 0.0f << "0"
                              << "0";
        QTest::newRow("negative zero") << -0.0f << "0"
                                       << "0";
        QTest::newRow("four thousandths") << 0.004f << "0.004"
                                          << "0,004";
        QTest::newRow("one million") << 1000000.0f << "1000000"
                                     << "1000000";
        QTest::newRow("largest plain") << 9999999.0f << "9999999"
                                       << "9999999";
        QTest::newRow("ten million") << 10000000.0f << "1E+07"
                                     << "1E+07";
        QTest::newRow("smallest plain") << 0.0001f << "0.0001"
                                        << "0,0001";
        QTest::newRow("below plain") << 0.0000999999f << "9.99999E-05"
                                     << "9,99999E-05";
        QTest::newRow("exponent") << 1.5e-7f << "1.5E-07"
                                  << "1,5E-07";
        QTest::newRow("seven digits") << 12.019231f << "12.01923"
                                      << "12,01923";
        QTest::newRow("third") << (1.0f / 3.0f) << "0.3333333"
                               << "0,3333333";
        QTest::newRow("negative") << -12.5f << "-12.5"
                                  << "-12,5";
        QTest::newRow("rounds up to exponent") << 99999999.0f << "1E+08"
                                               << "1E+08";
        QTest::newRow("largest single") << FLT_MAX << "3.402823E+38"
                                        << "3,402823E+38";
    }
    void numberText() {
        QFETCH(float, value);
        QFETCH(QString, plain);
        QFETCH(QString, german);
        QCOMPARE(NumberText::forLog(value), plain);
        QCOMPARE(NumberText::forDisplay(value, kEnglish), plain);
        QCOMPARE(NumberText::forDisplay(value, kGerman), german);
    }

    void replyReading_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<float>("ohms");
        QTest::newRow("meter form") << "1.250000e-02" << true << 0.0125f;
        QTest::newRow("trailing CR") << "1.250000e-02\r" << true << 0.0125f;
        QTest::newRow("trailing blanks") << "0.0125  " << true << 0.0125f;
        QTest::newRow("blank and CR") << "0.0125 \r" << true << 0.0125f;
        QTest::newRow("negative") << "-0.0125" << true << -0.0125f;
        QTest::newRow("upper-case exponent") << "1.5E3" << true << 1500.0f;
        QTest::newRow("a dot that is not a group separator") << "1.234" << true << 1.234f;
        QTest::newRow("comma") << "1,25" << false << 0.0f;
        QTest::newRow("empty") << "" << false << 0.0f;
        QTest::newRow("blanks only") << "   " << false << 0.0f;
        QTest::newRow("CR only") << "\r" << false << 0.0f;
        QTest::newRow("text after the line end") << "0.0125\nmore" << false << 0.0f;
        QTest::newRow("word") << "ERR" << false << 0.0f;
        QTest::newRow("nan") << "nan" << false << 0.0f;
        QTest::newRow("beyond single precision") << "1e39" << false << 0.0f;
    }
    void replyReading() {
        QFETCH(QString, reply);
        QFETCH(bool, readable);
        QFETCH(float, ohms);
        // The meter writes "." whatever the operator's locale says.
        const QLocale saved;
        QLocale::setDefault(kGerman);
        const std::optional<float> read = MeasurementCycle::parseReply(reply);
        QLocale::setDefault(saved);
        QCOMPARE(read.has_value(), readable);
        if (readable)
            QCOMPARE(*read, ohms);
    }

    void overRange_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("overRange");
        QTest::newRow("exact") << "0.000000e+00" << true;
        QTest::newRow("CR LF meter") << "0.000000e+00\r" << true;
        QTest::newRow("trailing blanks") << "0.000000e+00  " << true;
        QTest::newRow("upper-case E") << "0.000000E+00" << false;
        QTest::newRow("plain zero") << "0" << false;
        QTest::newRow("zero point zero") << "0.0" << false;
    }
    void overRange() {
        QFETCH(QString, reply);
        QFETCH(bool, overRange);
        QCOMPARE(MeasurementCycle::isOverRange(reply), overRange);
    }

    void scaleReadingBounds_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<float>("scaled");
        const float below1m = std::nextafter(0.001f, 0.0f);
        const float below1 = std::nextafter(1.0f, 0.0f);
        const float below1k = std::nextafter(1000.0f, 0.0f);
        const float below1M = std::nextafter(1000000.0f, 0.0f);
        QTest::newRow("zero") << 0.0f << "u" << 0.0f;
        QTest::newRow("just below 1 mOhm") << below1m << "u" << below1m * 1000000.0f;
        QTest::newRow("1 mOhm") << 0.001f << "m" << 1.0f;
        QTest::newRow("just below 1 Ohm") << below1 << "m" << below1 * 1000.0f;
        QTest::newRow("1 Ohm") << 1.0f << "" << 1.0f;
        QTest::newRow("just below 1 kOhm") << below1k << "" << below1k;
        QTest::newRow("1 kOhm") << 1000.0f << "k" << 1.0f;
        QTest::newRow("just below 1 MOhm") << below1M << "k" << below1M / 1000.0f;
        QTest::newRow("1 MOhm") << 1000000.0f << "" << 1000000.0f;
        QTest::newRow("largest") << FLT_MAX << "" << FLT_MAX;
        QTest::newRow("negative mOhm") << -0.0125f << "m" << -12.5f;
        QTest::newRow("negative on a bound") << -1000.0f << "k" << -1.0f;
        QTest::newRow("negative uOhm") << -0.0005f << "u" << -500.0f;
    }
    void scaleReadingBounds() {
        QFETCH(float, value);
        QFETCH(QString, prefix);
        QFETCH(float, scaled);
        Module1::sPrefix = QStringLiteral("stale");
        QCOMPARE(Module1::ScaleReading(value), scaled);
        QCOMPARE(Module1::sPrefix, prefix);
    }

    // What the first row shows for a reply (the edge cases of the display).
    void firstRow_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("unit");
        QTest::newRow("0.0125") << "0.0125"
                                << "12.5"
                                << "mOhm";
        QTest::newRow("0.001") << "0.001"
                               << "1"
                               << "mOhm";
        QTest::newRow("0.0005") << "0.0005"
                                << "500"
                                << "uOhm";
        QTest::newRow("1") << "1"
                           << "1"
                           << "Ohm";
        QTest::newRow("1000") << "1000"
                              << "1"
                              << "kOhm";
        QTest::newRow("1.5E3") << "1.5E3"
                               << "1.5"
                               << "kOhm";
        QTest::newRow("9.99999E5") << "9.99999E5"
                                   << "999.999"
                                   << "kOhm";
        QTest::newRow("2E6") << "2E6"
                             << "2000000"
                             << "Ohm";
        QTest::newRow("0") << "0"
                           << "0"
                           << "uOhm";
        QTest::newRow("-0.0125") << "-0.0125"
                                 << "-12.5"
                                 << "mOhm";
        QTest::newRow("meter text, CR LF meter") << "1.250000e-02\r"
                                                 << "12.5"
                                                 << "mOhm";
    }
    void firstRow() {
        QFETCH(QString, reply);
        QFETCH(QString, value);
        QFETCH(QString, unit);
        const auto outcome =
            MeasurementCycle::evaluate(reply, QStringLiteral("20"), 0.004f, kEnglish);
        QVERIFY(outcome);
        QCOMPARE(outcome->ppar, QStringLiteral("Rx"));
        QCOMPARE(outcome->pvalue, value);
        QCOMPARE(outcome->punit, unit);
        QCOMPARE(outcome->measuredText, reply);
    }

    void correction_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<float>("tempco");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("corrected");
        QTest::newRow("at 20 degrees") << "0.0125"
                                       << "20" << 0.004f << "12.5"
                                       << "mOhm"
                                       << "0.0125";
        QTest::newRow("30 degrees, copper") << "0.0125"
                                            << "30" << 0.004f << "12.01923"
                                            << "mOhm"
                                            << "0.01201923";
        QTest::newRow("crosses into mOhm") << "1.02"
                                           << "27.5" << 0.004f << "990.2913"
                                           << "mOhm"
                                           << "0.9902912";
        QTest::newRow("coefficient 0") << "1.02"
                                       << "75" << 0.0f << "1.02"
                                       << "Ohm"
                                       << "1.02";
        QTest::newRow("coefficient 0.02") << "0.0125"
                                          << "30" << 0.02f << "10.41667"
                                          << "mOhm"
                                          << "0.01041667";
        // Failures leave the value and unit empty instead of a zero reading.
        QTest::newRow("temperature not a number") << "0.0125"
                                                  << "warm" << 0.004f << ""
                                                  << ""
                                                  << "";
        QTest::newRow("zero divisor") << "0.0125"
                                      << "-108" << 0.0078125f << ""
                                      << ""
                                      << "";
        QTest::newRow("overflow") << "3E38"
                                  << "-107.9" << 0.0078125f << ""
                                  << ""
                                  << "";
    }
    void correction() {
        QFETCH(QString, reply);
        QFETCH(QString, temperature);
        QFETCH(float, tempco);
        QFETCH(QString, value);
        QFETCH(QString, unit);
        QFETCH(QString, corrected);
        const auto outcome = MeasurementCycle::evaluate(reply, temperature, tempco, kEnglish);
        QVERIFY(outcome);
        QCOMPARE(outcome->spar, QStringLiteral("Rtc"));
        QCOMPARE(outcome->svalue, value);
        QCOMPARE(outcome->sunit, unit);
        QCOMPARE(outcome->correctedText, corrected);
        if (corrected.isEmpty()) // the prefix stays the measured value's
            QCOMPARE(Module1::sPrefix + QStringLiteral("Ohm"), outcome->punit);
    }

    void correctionIsEvaluatedInTheStatedOrder() {
        // (T - 20) x a + 1 in double precision from single-precision operands: a divisor of
        // 1 + 4E-08, which single precision would round to 1, still changes the result.
        const float measured = 1.0f;
        const auto result = Correction::corrected(measured, 21.0f, 4e-8f);
        QVERIFY(result);
        QVERIFY(*result < measured);
    }

    void coefficient_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("message");
        const QString range = CorrectionSettings::kCoefficientRange;
        const QString numeric = CorrectionSettings::kNotNumeric;
        QTest::newRow("Copper") << "Copper" << Verdict::Accepted << 0.004f << "";
        QTest::newRow("Nichrome") << "Nichrome" << Verdict::Accepted << 0.0004f << "";
        QTest::newRow("Aluminium") << "Aluminium" << Verdict::Accepted << 0.0039f << "";
        QTest::newRow("Silver") << "Silver" << Verdict::Accepted << 0.0038f << "";
        QTest::newRow("Gold") << "Gold" << Verdict::Accepted << 0.0034f << "";
        QTest::newRow("lower case") << "copper" << Verdict::NotNumeric << 0.0f << numeric;
        QTest::newRow("leading blank") << " Copper" << Verdict::NotNumeric << 0.0f << numeric;
        QTest::newRow("empty") << "" << Verdict::NotNumeric << 0.0f << numeric;
        QTest::newRow("upper bound") << "0.01" << Verdict::Accepted << 0.01f << "";
        QTest::newRow("lower bound") << "-0.01" << Verdict::Accepted << -0.01f << "";
        QTest::newRow("just above") << "0.0100001" << Verdict::OutOfRange << 0.0100001f << range;
        QTest::newRow("just below") << "-0.0100001" << Verdict::OutOfRange << -0.0100001f << range;
        QTest::newRow("0.02") << "0.02" << Verdict::OutOfRange << 0.02f << range;
        QTest::newRow("exponent form") << "4E-3" << Verdict::Accepted << 0.004f << "";
        QTest::newRow("zero") << "0" << Verdict::Accepted << 0.0f << "";
        QTest::newRow("beyond single precision")
            << "1e39" << Verdict::NotNumeric << 0.0f << numeric;
    }
    void coefficient() {
        QFETCH(QString, text);
        QFETCH(Verdict, verdict);
        QFETCH(float, value);
        QFETCH(QString, message);
        const auto entry = CorrectionSettings::readCoefficient(text, kEnglish);
        QCOMPARE(entry.verdict, verdict);
        QCOMPARE(entry.value.has_value(), verdict != Verdict::NotNumeric);
        if (entry.value)
            QCOMPARE(*entry.value, value);
        QCOMPARE(CorrectionSettings::coefficientMessage(verdict), message);
    }

    void temperature_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("message");
        const QString range = CorrectionSettings::kTemperatureRange;
        const QString numeric = CorrectionSettings::kNotNumeric;
        QTest::newRow("upper bound") << "200" << kEnglish << "";
        QTest::newRow("lower bound") << "-50" << kEnglish << "";
        QTest::newRow("above") << "200.5" << kEnglish << range;
        QTest::newRow("below") << "-51" << kEnglish << range;
        QTest::newRow("empty") << "" << kEnglish << numeric;
        QTest::newRow("word") << "warm" << kEnglish << numeric;
        QTest::newRow("beyond single precision") << "1e39" << kEnglish << numeric;
        QTest::newRow("comma in English") << "20,5" << kEnglish << numeric;
        QTest::newRow("comma in German") << "20,5" << kGerman << "";
        QTest::newRow("dot in German") << "20.5" << kGerman << numeric;
    }
    void temperature() {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(QString, message);
        QCOMPARE(CorrectionSettings::temperatureMessage(
                     CorrectionSettings::checkTemperature(text, locale)),
                 message);
    }

    void temperatureField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("field");
        QTest::newRow("number") << "20" << kEnglish << "20";
        QTest::newRow("as typed") << "20.50" << kEnglish << "20.50";
        QTest::newRow("German number") << "20,5" << kGerman << "20.5";
        QTest::newRow("not a number with a comma") << "20,5" << kEnglish << "205";
        QTest::newRow("line breaks") << "wa\r\nrm" << kEnglish << "warm";
    }
    void temperatureField() {
        QFETCH(QString, typed);
        QFETCH(QLocale, locale);
        QFETCH(QString, field);
        QCOMPARE(DataLines::temperatureField(typed, locale), field);
    }

    void dataLinesHoldOneRecord() {
        QCOMPARE(DataLines::shortLine(QStringLiteral("Rx"), DataLines::measuredField("0.0125\r")),
                 QStringLiteral("Rx,0.0125, Ohm"));
        QCOMPARE(DataLines::longLine(QString(), QStringLiteral("Range Error"), QString(), QString(),
                                     QStringLiteral("20"), QStringLiteral("0.004")),
                 QStringLiteral(",Range Error, Ohm ,,, Ohm ,20,0.004"));
    }

    void speedPauses_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("pauses");
        QTest::newRow("Fast") << "Fast" << 0;
        QTest::newRow("Medium") << "Medium" << 1;
        QTest::newRow("Slow") << "Slow" << 4;
        QTest::newRow("other") << "slow" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void speedPauses() {
        QFETCH(QString, speed);
        QFETCH(int, pauses);
        QCOMPARE(MeasurementCycle::speedPauses(speed), pauses);
    }
};

QTEST_GUILESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
