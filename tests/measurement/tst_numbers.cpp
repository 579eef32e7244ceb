// Number text, reply reading, engineering scaling, the correction arithmetic and the correction
// entries' checks: the plain functions of a measurement.
#include "Table.h"
#include "measurement/Correction.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/DataLines.h"
#include "measurement/MeasurementCycle.h"
#include "measurement/NumberText.h"
#include "measurement/Numbers.h"
#include "measurement/ScaleReading.h"

#include <QtTest>

#include <cfloat>
#include <clocale>
#include <cmath>

namespace {
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
} // namespace

class NumbersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every case runs with the C library in a comma-decimal locale, as it is in the program
    // wherever the operator's environment says so: nothing may depend on it.
    void initTestCase() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"), "locale de_DE.UTF-8 is not installed");
    }

    void numberText_data() {
        // value, plain, german
        columns<float, QString, QString>();
        row("negative", -12.5f, "-12.5", "-12,5");
        row("four thousandths", 0.004f, "0.004", "0,004");
        row("largest plain", 9999999.0f, "9999999", "9999999");
        row("ten million", 10000000.0f, "1E+07", "1E+07");
        row("smallest plain", 0.0001f, "0.0001", "0,0001");
        row("below plain", 0.0000999999f, "9.99999E-05", "9,99999E-05");
        row("seven digits", 12.019231f, "12.01923", "12,01923");
        row("largest single", FLT_MAX, "3.402823E+38", "3,402823E+38");
    }
    void numberText() {
        const auto [value, plain, german] = fetched<float, QString, QString>();
        QCOMPARE(NumberText::forLog(value), plain);
        QCOMPARE(NumberText::forDisplay(value, kEnglish), plain);
        QCOMPARE(NumberText::forDisplay(value, kGerman), german);
    }

    void overRange() {
        for (const char* reply : {"0.000000e+00", "0.000000e+00\r", "0.000000e+00  "})
            QVERIFY2(MeasurementCycle::isOverRange(QString(reply)), reply);
        for (const char* reply : {"0.000000E+00", "0", "0.0"})
            QVERIFY2(!MeasurementCycle::isOverRange(QString(reply)), reply);
    }

    void scaleReading_data() {
        // value, prefix, scaled
        columns<float, QString, float>();
        const float below1m = std::nextafter(0.001f, 0.0f);
        const float below1M = std::nextafter(1000000.0f, 0.0f);
        row("zero", 0.0f, "u", 0.0f);
        row("just below 1 mOhm", below1m, "u", below1m * 1000000.0f);
        row("1 mOhm", 0.001f, "m", 1.0f);
        row("just below 1 Ohm", std::nextafter(1.0f, 0.0f), "m",
            std::nextafter(1.0f, 0.0f) * 1000.0f);
        row("1 Ohm", 1.0f, "", 1.0f);
        row("just below 1 kOhm", std::nextafter(1000.0f, 0.0f), "", std::nextafter(1000.0f, 0.0f));
        row("1 kOhm", 1000.0f, "k", 1.0f);
        row("just below 1 MOhm", below1M, "k", below1M / 1000.0f);
        row("1 MOhm", 1000000.0f, "", 1000000.0f);
        row("negative on a bound", -1000.0f, "k", -1.0f);
    }
    void scaleReading() {
        const auto [value, prefix, scaled] = fetched<float, QString, float>();
        Module1::sPrefix = QStringLiteral("stale");
        QCOMPARE(Module1::ScaleReading(value), scaled);
        QCOMPARE(Module1::sPrefix, prefix);
    }

    // A reply evaluated at a temperature: both rows as shown, and the corrected value as logged.
    void evaluate_data() {
        // reply, temperature, tempco, first, second, corrected
        columns<QString, QString, float, QString, QString, QString>();
        row("9.99999E5", "9.99999E5", "20", 0.004f, "999.999 kOhm", "999.999 kOhm", "999999");
        row("2E6", "2E6", "20", 0.004f, "2000000 Ohm", "2000000 Ohm", "2000000");
        // Each row takes the prefix of its own value (into mOhm: see the results window).
        row("crosses into Ohm", "0.99", "10", 0.004f, "990 mOhm", "1.03125 Ohm", "1.03125");
        // Failures leave the value and unit empty instead of a zero reading.
        row("temperature not a number", "0.0125", "warm", 0.004f, "12.5 mOhm", " ", "");
        row("zero divisor", "0.0125", "-108", 0.0078125f, "12.5 mOhm", " ", "");
        row("overflow", "3E38", "-107.9", 0.0078125f, "3E+38 Ohm", " ", "");
    }
    void evaluate() {
        const auto [reply, temperature, tempco, first, second, corrected] =
            fetched<QString, QString, float, QString, QString, QString>();
        const auto outcome = MeasurementCycle::evaluate(reply, temperature, tempco, kEnglish);
        QVERIFY(outcome);
        QCOMPARE(outcome->ppar + ' ' + outcome->pvalue + ' ' + outcome->punit, "Rx " + first);
        QCOMPARE(outcome->spar + ' ' + outcome->svalue + ' ' + outcome->sunit, "Rtc " + second);
        QCOMPARE(outcome->measuredText, reply);
        QCOMPARE(outcome->correctedText, corrected);
        if (corrected.isEmpty()) // the prefix stays the measured value's
            QCOMPARE(Module1::sPrefix + "Ohm", outcome->punit);
    }

    void correctionIsEvaluatedInTheStatedOrder() {
        // (T - 20) x a + 1 in double precision from single-precision operands: a divisor of
        // 1 + 4E-08, which single precision would round to 1, still changes the result.
        const auto result = Correction::corrected(1.0f, 21.0f, 4e-8f);
        QVERIFY(result);
        QVERIFY(*result < 1.0f);
    }

    // Every material of the box's list, in its order, with its coefficient; a text that only
    // looks like one is none.
    void materials() {
        const QStringList names{"Copper", "Nichrome", "Aluminium", "Silver", "Gold"};
        const QList<float> coefficients{0.004f, 0.0004f, 0.0039f, 0.0038f, 0.0034f};
        QCOMPARE(CorrectionSettings::materialNames(), names);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(CorrectionSettings::materialCoefficient(names[i]), coefficients[i]);
        for (const char* text : {"copper", "Copper ", "GOLD", "Silve"})
            QVERIFY2(!CorrectionSettings::materialCoefficient(QLatin1String(text)), text);
    }

    // Both entries at both ends of their ranges and just beyond.
    void correctionEntryBounds() {
        using V = CorrectionSettings::Verdict;
        for (const char* accepted : {"-0.01", "0", "0.01"})
            QCOMPARE(CorrectionSettings::readCoefficient(accepted, kEnglish).verdict, V::Accepted);
        for (const char* refused : {"-0.0101", "0.0101"})
            QCOMPARE(CorrectionSettings::readCoefficient(refused, kEnglish).verdict, V::OutOfRange);
        for (const char* accepted : {"-50", "0", "20", "200"})
            QCOMPARE(CorrectionSettings::checkTemperature(accepted, kEnglish), V::Accepted);
        for (const char* refused : {"-50.01", "200.01"})
            QCOMPARE(CorrectionSettings::checkTemperature(refused, kEnglish), V::OutOfRange);
    }

    // Beyond single precision either way, or not the number grammar: no value, never 0.
    void notNumbers() {
        for (const char* text : {"1e-50", "1e39", "nan", "0x10", "1,000", "1.5e", "--1", "1e+"})
            QVERIFY2(!Numbers::fromMeter(QString::fromLatin1(text)), text);
        QCOMPARE(Numbers::fromMeter(" +4.5E-3 "), std::optional<float>(0.0045f));
        // An operator's coefficient in the operator's own notation.
        QCOMPARE(CorrectionSettings::readCoefficient("4,5E-3", kGerman).value,
                 std::optional<float>(0.0045f));
    }

    // The temperature as logged: a number in "." form, anything else as typed minus the
    // characters that would break the line or its fields.
    void temperatureField() {
        QCOMPARE(DataLines::temperatureField("20.50", kEnglish), QStringLiteral("20.50"));
        QCOMPARE(DataLines::temperatureField("20,5", kEnglish), QStringLiteral("205"));
        QCOMPARE(DataLines::temperatureField("wa\r\nrm", kEnglish), QStringLiteral("warm"));
    }
};

QTEST_GUILESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
