// The upload's command sequence as a plain function: the exact bytes and where the pauses go.
#include "Table.h"
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
    // The whole line for the two examples; a part of it, with what comes before and after,
    // for every item of the created, the rebuilt and the dry-circuit range list, and for typed
    // numbers: accepted texts go out as typed, only the locale's decimal comma becomes ".".
    void sequence_data() {
        // settings, locale, expected (the whole line when it starts with the first)
        columns<Settings, QLocale, QByteArray>();
        row("defaults", kDefaults, QLocale::c(),
            QByteArray(":TRIG:SOUR BUS\r\n|:SOUR:DRY 0\r\n|:SOUR:DRIV 0\r\n|:SENS:RANG:AUTO 1\r\n|"
                       ":SENS:SPEED Slow\r\n|:TRIG:DEL 5\r\n|:Sens:AVER:COUN 1\r\n|*CLS\r\n"));
        row("dry on, DC -, 2 Ohm, fast", Settings{1, 4, "2 Ohm", "Fast", "100", "10"}, QLocale::c(),
            QByteArray(":TRIG:SOUR BUS\r\n|:SOUR:DRY 1\r\n|:SOUR:DRIV 4\r\n|:SENS:RANG:AUTO 0\r\n"
                       ":SENS:RANG 2\r\n|:SENS:SPEED Fast\r\n|:TRIG:DEL 100\r\n|"
                       ":Sens:AVER:COUN 10\r\n|*CLS\r\n"));
        const QStringList ranges{"20 mOhm", "200 mOhm", "2 Ohm",   "20 Ohm",   "200 Ohm",
                                 "2k Ohm",  "20 kOhm",  "20k Ohm", "200 kOhm", "2 MOhm"};
        for (const QString& item : ranges) {
            Settings settings = kDefaults;
            settings.range = item;
            // Both spellings of 20 kOhm are range 6.
            const int number = ranges.indexOf(item) - (ranges.indexOf(item) > 6 ? 1 : 0);
            row(qPrintable(item), settings, QLocale::c(),
                "|:SENS:RANG:AUTO 0\r\n:SENS:RANG " + QByteArray::number(number) +
                    "\r\n|:SENS:SPEED");
        }
        const auto typed = [](const char* name, const QLocale& locale, const char* delay,
                              const char* count, const char* part) {
            row(name, Settings{0, 0, "Auto", "Slow", delay, count}, locale, QByteArray(part));
        };
        typed("leading zeros", QLocale::c(), "0050", "02.50",
              "|:TRIG:DEL 0050\r\n|:Sens:AVER:COUN 02.50\r\n|*");
        typed("decimal comma", QLocale(QLocale::German), "5,5", "2,5",
              "|:TRIG:DEL 5.5\r\n|:Sens:AVER:COUN 2.5\r\n|*");
    }
    void sequence() {
        const auto [settings, locale, expected] = fetched<Settings, QLocale, QByteArray>();
        const QByteArray line = onTheLine(UploadSequence::build(settings, locale));
        if (expected.startsWith(":TRIG:SOUR BUS"))
            QCOMPARE(line, expected);
        else
            QVERIFY2(line.contains(expected), line.constData());
    }
};

QTEST_GUILESS_MAIN(UploadSequenceTest)
#include "tst_upload_sequence.moc"
