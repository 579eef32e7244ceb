// The configuration window against an in-memory port: the dry-circuit rule, the field checks,
// what survives closing and hiding, and how an upload ends; and the upload's command sequence
// as a plain function: the exact bytes and where the pauses go.
#include "Panel.h"
#include "configuration/UploadSequence.h"
#include "link/Framing.h"

using UploadSequence::Settings;

Q_DECLARE_METATYPE(UploadSequence::Settings)

namespace {
// The list the window starts with says "20 kOhm"; the one the rule rebuilds, "20k Ohm".
const QString kCreatedRanges =
    QStringLiteral("Auto|20 mOhm|200 mOhm|2 Ohm|20 Ohm|200 Ohm|2k Ohm|20 kOhm|200 kOhm|2 MOhm");
const QString kRebuiltRanges =
    QStringLiteral("Auto|20 mOhm|200 mOhm|2 Ohm|20 Ohm|200 Ohm|2k Ohm|20k Ohm|200 kOhm|2 MOhm");
const QString kDryRanges = QStringLiteral("Auto|200 mOhm|2 Ohm|20 Ohm");

QString itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items.join(QLatin1Char('|'));
}

// The steps as they go on the line, a pause written as "|": bytes, order and pauses at once.
QByteArray onTheLine(const QList<UploadSequence::Step>& steps) {
    QByteArray out;
    for (const UploadSequence::Step& step : steps) {
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

class ConfigureTest : public Panel {
    Q_OBJECT

    // Opened as the operator opens it, from the results window; the port's record cleared.
    Configure& openWindow() {
        handOver().Config->click();
        port->written.clear();
        activate(&Configure::use());
        return Configure::use();
    }
    // The operator tabs away from a control, as the keyboard does it.
    static void leave(QWidget* control) {
        control->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
    }

private Q_SLOTS:
    void dryCircuitRule_data() {
        // dryBefore, dryWhenLeft, ranges
        columns<QString, QString, QString>();
        row("switched on", "OFF", "ON", kDryRanges);
        row("switched off", "ON", "OFF", kRebuiltRanges);
        row("left unchanged", "OFF", "OFF", kRebuiltRanges);
    }
    void dryCircuitRule() {
        const auto [dryBefore, dryWhenLeft, ranges] = fetched<QString, QString, QString>();
        Configure& window = openWindow();
        window.cbDry->setCurrentText(dryBefore);
        leave(window.cbDry);
        window.cbDry->setCurrentText(dryWhenLeft);
        window.Range->setCurrentText(QStringLiteral("20 Ohm"));
        leave(window.cbDry);
        QCOMPARE(itemsOf(window.Range), ranges);
        QCOMPARE(window.Range->currentText(), QStringLiteral("Auto"));
        // Picking in the list alone does nothing until the box is left.
        window.cbDry->setCurrentText(dryWhenLeft == QLatin1String("ON") ? "OFF" : "ON");
        QCOMPARE(itemsOf(window.Range), ranges);
    }

    // Each field at and beyond its limits; a refused text is told and reset.
    void fieldChecks_data() {
        // delay (else the averaging field), typed, refusal (empty: accepted)
        columns<bool, QString, QString>();
        row("delay lowest", true, "5", "");
        row("delay highest", true, "9999", "");
        row("delay below", true, "4.99", "Delay limits are 5 to 9999 mSec");
        row("delay above", true, "9999.01", "Delay limits are 5 to 9999 mSec");
        row("delay word", true, "soon", "Delay must be a number");
        row("delay grouped", true, "1,000", "Delay must be a number");
        row("count lowest", false, "1", "");
        row("count below", false, "0.99", "Average limits are 1 to 10");
        row("count highest", false, "10", "");
        row("count above", false, "10.01", "Average limits are 1 to 10");
        row("count empty", false, "", "Average must be a number");
    }
    void fieldChecks() {
        const auto [delay, typed, refusal] = fetched<bool, QString, QString>();
        Configure& window = openWindow();
        QLineEdit* box = delay ? window.Delay : window.tAvg;
        if (!refusal.isEmpty())
            prompt->expectOk(refusal);
        typeInto(box, typed);
        QCOMPARE(box->text(), refusal.isEmpty() ? typed : QString(delay ? "5" : "1"));
    }

    // Closed and opened again, the window has its defaults; after Update it keeps the choices.
    void closeBoxForgetsTheChoicesUpdateKeepsThem() {
        for (const bool update : {false, true}) {
            Configure& window = update ? Configure::use() : openWindow();
            activate(&window);
            window.Drive->setCurrentText(QStringLiteral("DC +"));
            window.cbDry->setCurrentText(QStringLiteral("ON"));
            leave(window.cbDry);
            window.Range->setCurrentText(QStringLiteral("2 Ohm"));
            window.Accuracy->setCurrentText(QStringLiteral("Medium"));
            typeInto(window.tAvg, QStringLiteral("3"));
            typeInto(window.Delay, QStringLiteral("250"));
            update ? window.Update->click() : (void)window.close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            frmMeasure::use().Config->click();
            const QStringList shown{
                Configure::use().Drive->currentText(), Configure::use().cbDry->currentText(),
                Configure::use().Range->currentText(), Configure::use().Accuracy->currentText(),
                Configure::use().tAvg->text(),         Configure::use().Delay->text(),
                itemsOf(Configure::use().Range)};
            QCOMPARE(shown.join(QLatin1Char('|')),
                     update ? "DC +|ON|2 Ohm|Medium|3|250|" + kDryRanges
                            : "Pulse +/-|OFF|Auto|Slow|1|5|" + kCreatedRanges);
        }
    }

    // How an upload ends: sent, its marker in the log, or refused with the line's reason and no
    // marker.
    void howAnUploadEnds_data() {
        // failAfter (commands written before the port fails; -1: none)
        columns<int>();
        row("sent", -1);
        row("port closed", 0);
        row("device gone after three", 3);
    }
    void howAnUploadEnds() {
        const auto [failAfter] = fetched<int>();
        frmMeasure& results = handOver();
        startLog();
        results.Config->click();
        port->written.clear();
        if (failAfter == 0)
            port->setPortOpen(false);
        port->onCommand = [&](const QByteArray&) {
            port->writesFail = port->written.size() == failAfter;
        };
        if (failAfter >= 0)
            prompt->expectOk(QStringLiteral("Configuration not sent: Input/output error"));
        const int readsBefore = port->inputCalls;
        Configure::use().Update->click();
        QCOMPARE(port->written.size(), failAfter < 0 ? 8 : failAfter);
        QCOMPARE(port->inputCalls, readsBefore);
        QVERIFY(!Configure::use().isVisible() && results.isVisible());
        QCOMPARE(logLines().join('|'), "Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04" +
                                           QString(failAfter < 0 ? "|Configuration Changed" : ""));
        if (failAfter >= 0) { // a second try is answered too: the failure left Update alive
            prompt->expectOk(QStringLiteral("Configuration not sent: Input/output error"));
            Configure::use().show();
            Configure::use().Update->click();
        }
    }

    // A second click during a pause is ignored; a control changed during a pause is sent by
    // the commands still to come; the window is usable for the next upload.
    void duringAnUpload() {
        Configure& window = openWindow();
        port->onCommand = [&](const QByteArray& command) {
            if (command == ":SOUR:DRY 0\r\n" && port->written.size() < 8)
                QTimer::singleShot(50, &window, [&] {
                    window.Update->click();
                    window.Accuracy->setCurrentText(QStringLiteral("Fast"));
                    window.Drive->setCurrentText(QStringLiteral("DC +"));
                });
        };
        window.Update->click();
        window.show();
        window.Update->click();
        QCOMPARE(port->written.size(), 16);
        QCOMPARE(port->written.mid(1, 4),
                 (QList<QByteArray>{":SOUR:DRY 0\r\n", ":SOUR:DRIV 3\r\n", ":SENS:RANG:AUTO 1\r\n",
                                    ":SENS:SPEED Fast\r\n"}));
    }

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
        row("leading zeros", Settings{0, 0, "Auto", "Slow", "0050", "02.50"}, QLocale::c(),
            QByteArray("|:TRIG:DEL 0050\r\n|:Sens:AVER:COUN 02.50\r\n|*"));
        row("decimal comma", Settings{0, 0, "Auto", "Slow", "5,5", "2,5"}, QLocale(QLocale::German),
            QByteArray("|:TRIG:DEL 5.5\r\n|:Sens:AVER:COUN 2.5\r\n|*"));
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

QTEST_MAIN(ConfigureTest)
#include "tst_configure.moc"
