// The configuration window against an in-memory port: the dry-circuit rule, the field checks,
// what survives closing and hiding, and how an upload ends.
#include "Panel.h"
#include "Table.h"
#include "configuration/Configure.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The list the window starts with says "20 kOhm"; the one the rule rebuilds, "20k Ohm".
const QStringList kCreatedRanges{"Auto",    "20 mOhm", "200 mOhm", "2 Ohm",    "20 Ohm",
                                 "200 Ohm", "2k Ohm",  "20 kOhm",  "200 kOhm", "2 MOhm"};
const QStringList kRebuiltRanges{"Auto",    "20 mOhm", "200 mOhm", "2 Ohm",    "20 Ohm",
                                 "200 Ohm", "2k Ohm",  "20k Ohm",  "200 kOhm", "2 MOhm"};
const QStringList kDryRanges{"Auto", "200 mOhm", "2 Ohm", "20 Ohm"};

} // namespace

class ConfigureTest : public Panel {
    Q_OBJECT

    // Opened as the operator opens it, from the results window; the port's record cleared.
    Configure& openWindow() {
        handOver().Config->click();
        Configure& window = Configure::use();
        port->written.clear();
        return window;
    }

    // The operator tabs away from a control, as the keyboard does it.
    static void leave(QWidget* control) {
        activate(control->window());
        control->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
    }

private Q_SLOTS:
    void dryCircuitRule_data() {
        QTest::addColumn<QString>("dryBefore");
        QTest::addColumn<QString>("dryWhenLeft");
        QTest::addColumn<QStringList>("ranges");
        QTest::newRow("switched on") << QString("OFF") << QString("ON") << kDryRanges;
        QTest::newRow("switched off") << QString("ON") << QString("OFF") << kRebuiltRanges;
        QTest::newRow("left unchanged") << QString("OFF") << QString("OFF") << kRebuiltRanges;
    }
    void dryCircuitRule() {
        QFETCH(QString, dryBefore);
        QFETCH(QString, dryWhenLeft);
        QFETCH(QStringList, ranges);
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
        QTest::addColumn<bool>("delay"); // else the averaging field
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // empty: accepted; "limits" or "number"
        row("delay lowest", true, "5", "");
        row("delay highest", true, "9999", "");
        row("delay below", true, "4.9", "limits");
        row("delay above", true, "10000", "limits");
        row("delay word", true, "soon", "number");
        row("delay grouped", true, "1,000", "number");
        row("count highest", false, "10", "");
        row("count above", false, "11", "limits");
        row("count empty", false, "", "number");
    }

    void fieldChecks() {
        QFETCH(bool, delay);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        Configure& window = openWindow();
        QLineEdit* box = delay ? window.Delay : window.tAvg;
        if (refusal == QLatin1String("limits"))
            prompt->expectOk(delay ? QStringLiteral("Delay limits are 5 to 9999 mSec")
                                   : QStringLiteral("Average limits are 1 to 10"));
        else if (refusal == QLatin1String("number"))
            prompt->expectOk(delay ? QStringLiteral("Delay must be a number")
                                   : QStringLiteral("Average must be a number"));
        activate(&window);
        typeInto(box, typed);
        QCOMPARE(box->text(), refusal.isEmpty() ? typed : QString(delay ? "5" : "1"));
        QCOMPARE(prompt->shown.size(), refusal.isEmpty() ? 0 : 1);
    }

    // Closed and opened again, the window has its defaults; after Update it keeps the choices.
    void closeBoxForgetsTheChoicesUpdateKeepsThem() {
        Configure* window = &openWindow();
        const auto choices = [&] {
            return QStringList{window->Drive->currentText(), window->cbDry->currentText(),
                               window->Range->currentText(), window->Accuracy->currentText(),
                               window->tAvg->text(),         window->Delay->text()} +
                   itemsOf(window->Range);
        };
        const auto choose = [&] {
            window->Drive->setCurrentText(QStringLiteral("DC +"));
            window->cbDry->setCurrentText(QStringLiteral("ON"));
            window->dryCircuitRule();
            window->Range->setCurrentText(QStringLiteral("2 Ohm"));
            window->Accuracy->setCurrentText(QStringLiteral("Medium"));
            window->tAvg->setText(QStringLiteral("3"));
            window->Delay->setText(QStringLiteral("250"));
        };
        choose();
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmMeasure::use().Config->click();
        window = &Configure::use();
        QCOMPARE(choices(),
                 QStringList({"Pulse +/-", "OFF", "Auto", "Slow", "1", "5"}) + kCreatedRanges);
        choose();
        window->Update->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(&Configure::use(), window);
        QCOMPARE(choices(),
                 QStringList({"DC +", "ON", "2 Ohm", "Medium", "3", "250"}) + kDryRanges);
    }

    // The sequence itself is checked as a plain function; here how an upload ends: sent, its
    // marker in the log, or refused with the line's reason and no marker.
    void howAnUploadEnds_data() {
        QTest::addColumn<int>("failAfter"); // commands written before the port fails; -1: none
        row("sent", -1);
        row("port closed", 0);
        row("device gone after three", 3);
    }
    void howAnUploadEnds() {
        QFETCH(int, failAfter);
        frmMeasure& results = handOver();
        startLog();
        results.Config->click();
        Configure& window = Configure::use();
        port->written.clear();
        if (failAfter == 0)
            port->setPortOpen(false);
        port->onCommand = [&](const QByteArray&) {
            if (port->written.size() == failAfter)
                port->writesFail = true;
        };
        if (failAfter >= 0)
            prompt->expectOk(QStringLiteral("Configuration not sent: Input/output error"));
        const int readsBefore = port->inputCalls;
        window.Update->click();
        QCOMPARE(port->written.size(), failAfter < 0 ? 8 : failAfter);
        QCOMPARE(port->inputCalls, readsBefore);
        QVERIFY(!window.isVisible() && frmMeasure::use().isVisible());
        QCOMPARE(logLines(),
                 QStringList{"Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04"} +
                     (failAfter < 0 ? QStringList{"Configuration Changed"} : QStringList()));
    }

    // A second click during a pause is ignored; a control changed during a pause is sent by
    // the commands still to come.
    void duringAnUpload() {
        Configure& window = openWindow();
        int clicksDuringPause = 0;
        port->onCommand = [&](const QByteArray& command) {
            if (command == ":SOUR:DRY 0\r\n" && clicksDuringPause == 0)
                QTimer::singleShot(50, &window, [&] {
                    ++clicksDuringPause;
                    window.Update->click();
                    window.Accuracy->setCurrentText(QStringLiteral("Fast"));
                    window.Drive->setCurrentText(QStringLiteral("DC +"));
                });
        };
        window.Update->click();
        QCOMPARE(clicksDuringPause, 1);
        QCOMPARE(port->written.size(), 8);
        QCOMPARE(port->written.mid(1, 4),
                 (QList<QByteArray>{":SOUR:DRY 0\r\n", ":SOUR:DRIV 3\r\n", ":SENS:RANG:AUTO 1\r\n",
                                    ":SENS:SPEED Fast\r\n"}));
        // The window is usable for the next upload.
        port->written.clear();
        window.show();
        window.Update->click();
        QCOMPARE(port->written.size(), 8);
    }
};

QTEST_MAIN(ConfigureTest)
#include "tst_configure.moc"
