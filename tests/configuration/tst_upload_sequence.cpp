// The upload's command sequence as a plain function: the exact bytes and where the pauses go.
#include "configuration/UploadSequence.h"
#include "link/Framing.h"

#include <QtTest>

using UploadSequence::Settings;
using UploadSequence::Step;

Q_DECLARE_METATYPE(UploadSequence::Settings)

namespace {

// The steps as they go on the line, a pause written as "|": bytes, order and pauses at once.
QByteArray onTheLine(const QList<Step>& steps) {
    QByteArray out;
    for (const Step& step : steps) {
        for (const QByteArray& command : step.commands)
            out += Framing::frame(command);
        if (step.pauseAfter)
            out += '|';
    }
    return out;
}

const Settings kDefaults{
    0, 0, QStringLiteral("Auto"), QStringLiteral("Slow"), QStringLiteral("5"), QStringLiteral("1")};

} // namespace

class UploadSequenceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theTwoExamples_data() {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("defaults") << kDefaults
                                  << QByteArray(
                                         ":TRIG:SOUR BUS\r\n|:SOUR:DRY 0\r\n|:SOUR:DRIV 0\r\n|"
                                         ":SENS:RANG:AUTO 1\r\n|:SENS:SPEED Slow\r\n|"
                                         ":TRIG:DEL 5\r\n|:Sens:AVER:COUN 1\r\n|*CLS\r\n");
        const Settings second{1, 4, "2 Ohm", "Fast", "100", "10"};
        QTest::newRow("dry on, DC -, 2 Ohm, fast")
            << second
            << QByteArray(":TRIG:SOUR BUS\r\n|:SOUR:DRY 1\r\n|:SOUR:DRIV 4\r\n|"
                          ":SENS:RANG:AUTO 0\r\n:SENS:RANG 2\r\n|:SENS:SPEED Fast\r\n|"
                          ":TRIG:DEL 100\r\n|:Sens:AVER:COUN 10\r\n|*CLS\r\n");
    }
    void theTwoExamples() {
        QFETCH(Settings, settings);
        QFETCH(QByteArray, expected);
        QCOMPARE(onTheLine(UploadSequence::build(settings)), expected);
    }

    // A part of the line, with what comes before and after it, for every item of the created,
    // the rebuilt and the dry-circuit range list, and for typed numbers: accepted texts go out
    // as typed, only the locale's decimal comma becomes ".".
    void parts_data() {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("part");
        const QList<QPair<const char*, int>> ranges{
            {"Auto", -1},   {"20 mOhm", 0},  {"200 mOhm", 1}, {"2 Ohm", 2},
            {"20 Ohm", 3},  {"200 Ohm", 4},  {"2k Ohm", 5},   {"20 kOhm", 6},
            {"20k Ohm", 6}, {"200 kOhm", 7}, {"2 MOhm", 8}};
        for (const auto& [item, number] : ranges) {
            Settings settings = kDefaults;
            settings.range = QString::fromLatin1(item);
            const QByteArray range =
                number < 0 ? QByteArray(":SENS:RANG:AUTO 1")
                           : ":SENS:RANG:AUTO 0\r\n:SENS:RANG " + QByteArray::number(number);
            QTest::newRow(item) << settings << QLocale::c()
                                << "DRIV 0\r\n|" + range + "\r\n|:SENS:SPEED";
        }
        const auto typed = [](const char* name, const QLocale& locale, const char* delay,
                              const char* count, const char* part) {
            Settings settings = kDefaults;
            settings.delay = QString::fromUtf8(delay);
            settings.count = QString::fromUtf8(count);
            QTest::newRow(name) << settings << locale << QByteArray(part);
        };
        typed("5.5 and 10", QLocale::c(), "5.5", "10",
              "|:TRIG:DEL 5.5\r\n|:Sens:AVER:COUN 10\r\n|*");
        typed("leading zeros", QLocale::c(), "0050", "02.50",
              "|:TRIG:DEL 0050\r\n|:Sens:AVER:COUN 02.50\r\n|*");
        typed("decimal comma", QLocale(QLocale::German), "5,5", "2,5",
              "|:TRIG:DEL 5.5\r\n|:Sens:AVER:COUN 2.5\r\n|*");
    }
    void parts() {
        QFETCH(Settings, settings);
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, part);
        const QByteArray line = onTheLine(UploadSequence::build(settings, locale));
        QVERIFY2(line.contains(part), line.constData());
    }
};

QTEST_GUILESS_MAIN(UploadSequenceTest)
#include "tst_upload_sequence.moc"
