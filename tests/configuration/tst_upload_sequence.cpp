// The upload's command sequence and the field check, as plain functions.
#include "configuration/FieldCheck.h"
#include "configuration/UploadSequence.h"

#include <QtTest>

using UploadSequence::Settings;
using UploadSequence::Step;

Q_DECLARE_METATYPE(QList<QByteArray>)
Q_DECLARE_METATYPE(FieldCheck::Outcome)

namespace {

// Pauses written into the line list as "|", so order and pauses are compared at once.
QList<QByteArray> withPauses(const QList<Step>& steps) {
    QList<QByteArray> out;
    for (const Step& step : steps) {
        out += step.commands;
        if (step.pauseAfter)
            out << "|";
    }
    return out;
}

Settings defaults() {
    return {0,
            0,
            QStringLiteral("Auto"),
            QStringLiteral("Slow"),
            QStringLiteral("5"),
            QStringLiteral("1")};
}

} // namespace

class UploadSequenceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void theTwoExamples_data() {
        QTest::addColumn<int>("dry");
        QTest::addColumn<int>("drive");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("defaults") << 0 << 0 << "Auto"
                                  << "Slow"
                                  << "5"
                                  << "1"
                                  << QList<QByteArray>{":TRIG:SOUR BUS",
                                                       "|",
                                                       ":SOUR:DRY 0",
                                                       "|",
                                                       ":SOUR:DRIV 0",
                                                       "|",
                                                       ":SENS:RANG:AUTO 1",
                                                       "|",
                                                       ":SENS:SPEED Slow",
                                                       "|",
                                                       ":TRIG:DEL 5",
                                                       "|",
                                                       ":Sens:AVER:COUN 1",
                                                       "|",
                                                       "*CLS"};
        QTest::newRow("dry on, DC -, 2 Ohm, fast") << 1 << 4 << "2 Ohm"
                                                   << "Fast"
                                                   << "100"
                                                   << "10"
                                                   << QList<QByteArray>{":TRIG:SOUR BUS",
                                                                        "|",
                                                                        ":SOUR:DRY 1",
                                                                        "|",
                                                                        ":SOUR:DRIV 4",
                                                                        "|",
                                                                        ":SENS:RANG:AUTO 0",
                                                                        ":SENS:RANG 2",
                                                                        "|",
                                                                        ":SENS:SPEED Fast",
                                                                        "|",
                                                                        ":TRIG:DEL 100",
                                                                        "|",
                                                                        ":Sens:AVER:COUN 10",
                                                                        "|",
                                                                        "*CLS"};
    }
    void theTwoExamples() {
        QFETCH(int, dry);
        QFETCH(int, drive);
        QFETCH(QString, range);
        QFETCH(QString, speed);
        QFETCH(QString, delay);
        QFETCH(QString, count);
        QFETCH(QList<QByteArray>, expected);
        const QList<Step> steps = UploadSequence::build({dry, drive, range, speed, delay, count});
        QCOMPARE(withPauses(steps), expected);
        // Always eight steps, whatever the range: the window takes them one by one.
        QCOMPARE(steps.size(), 8);
    }

    // Every item of the created list, the rebuilt list and the dry-circuit list.
    void everyRangeItem_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("number");
        const QList<QPair<const char*, int>> items{
            {"20 mOhm", 0}, {"200 mOhm", 1}, {"2 Ohm", 2},   {"20 Ohm", 3},   {"200 Ohm", 4},
            {"2k Ohm", 5},  {"20 kOhm", 6},  {"20k Ohm", 6}, {"200 kOhm", 7}, {"2 MOhm", 8}};
        for (const auto& item : items)
            QTest::newRow(item.first) << QString::fromLatin1(item.first) << item.second;
    }
    void everyRangeItem() {
        QFETCH(QString, item);
        QFETCH(int, number);
        Settings settings = defaults();
        settings.range = item;
        const Step step = UploadSequence::build(settings).at(3);
        QCOMPARE(step.commands, (QList<QByteArray>{":SENS:RANG:AUTO 0",
                                                   ":SENS:RANG " + QByteArray::number(number)}));
        QVERIFY(step.pauseAfter);
    }

    void autoSendsNoRangeNumber() {
        const QList<QByteArray> lines = UploadSequence::lines(UploadSequence::build(defaults()));
        QVERIFY(lines.contains(":SENS:RANG:AUTO 1"));
        for (const QByteArray& line : lines)
            QVERIFY2(!line.startsWith(":SENS:RANG "), line.constData());
        QVERIFY(!UploadSequence::rangeNumber(QStringLiteral("Auto")));
    }

    // Accepted texts go out as typed; only the locale's decimal comma becomes ".".
    void typedNumbers_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QByteArray>("delayLine");
        QTest::addColumn<QByteArray>("countLine");
        QTest::newRow("fraction and ten")
            << "C"
            << "5.5"
            << "10" << QByteArray(":TRIG:DEL 5.5") << QByteArray(":Sens:AVER:COUN 10");
        QTest::newRow("leading zeros kept")
            << "C"
            << "0050"
            << "02.50" << QByteArray(":TRIG:DEL 0050") << QByteArray(":Sens:AVER:COUN 02.50");
        QTest::newRow("decimal comma")
            << "de"
            << "5,5"
            << "2,5" << QByteArray(":TRIG:DEL 5.5") << QByteArray(":Sens:AVER:COUN 2.5");
        QTest::newRow("whole numbers, comma locale")
            << "de"
            << "100"
            << "10" << QByteArray(":TRIG:DEL 100") << QByteArray(":Sens:AVER:COUN 10");
    }
    void typedNumbers() {
        QFETCH(QString, language);
        QFETCH(QString, delay);
        QFETCH(QString, count);
        QFETCH(QByteArray, delayLine);
        QFETCH(QByteArray, countLine);
        if (language == QLatin1String("de"))
            QLocale::setDefault(QLocale(QLocale::German));
        Settings settings = defaults();
        settings.delay = delay;
        settings.count = count;
        const QList<Step> steps = UploadSequence::build(settings);
        QCOMPARE(steps.at(5).commands, QList<QByteArray>{delayLine});
        QCOMPARE(steps.at(6).commands, QList<QByteArray>{countLine});
    }

    void fieldCheck_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<FieldCheck::Outcome>("outcome");
        using O = FieldCheck::Outcome;
        QTest::newRow("lowest") << "C"
                                << "5" << O::Accepted;
        QTest::newRow("highest") << "C"
                                 << "9999" << O::Accepted;
        QTest::newRow("below") << "C"
                               << "4.9" << O::OutsideLimits;
        QTest::newRow("above") << "C"
                               << "10000" << O::OutsideLimits;
        QTest::newRow("negative") << "C"
                                  << "-5" << O::OutsideLimits;
        QTest::newRow("beyond single precision") << "C"
                                                 << "1e39" << O::OutsideLimits;
        QTest::newRow("beyond double precision") << "C"
                                                 << "1e400" << O::OutsideLimits;
        QTest::newRow("word") << "C"
                              << "five" << O::NotANumber;
        QTest::newRow("empty") << "C"
                               << "" << O::NotANumber;
        QTest::newRow("group separator") << "C"
                                         << "1,000" << O::NotANumber;
        QTest::newRow("decimal comma") << "de"
                                       << "5,5" << O::Accepted;
        QTest::newRow("group separator, comma locale") << "de"
                                                       << "1.000" << O::NotANumber;
    }
    void fieldCheck() {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(FieldCheck::Outcome, outcome);
        const QLocale locale =
            language == QLatin1String("de") ? QLocale(QLocale::German) : QLocale::c();
        QCOMPARE(FieldCheck::check(text, 5.0f, 9999.0f, locale), outcome);
    }
};

QTEST_GUILESS_MAIN(UploadSequenceTest)
#include "tst_upload_sequence.moc"
