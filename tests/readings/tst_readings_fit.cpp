// The Readings window on the screen it runs on (run on screens of 800x600, 1366x768 and
// 1600x1000): inside the screen's available area after every change that asks for more room,
// giving back width it no longer needs, and its entries always at their full height.
#include "Panel.h"
#include "ToolTip.h"
#include "readings/CheckedEntry.h"
#include "readings/LimitsBox.h"
#include "readings/Readings.h"
#include "readings/ReadingsWindow.h"
#include "readings/StabilityBox.h"
#include "records/RecordBox.h"
#include "records/RunRecords.h"

#include <QAbstractSpinBox>
#include <QScreen>

class ReadingsFitTest : public Panel {
    Q_OBJECT

    // Inside the available area, and every entry as tall as it asks to be.
    static void fits(const ReadingsWindow& readings, const char* after) {
        QCoreApplication::processEvents();
        QString frame;
        QDebug(&frame) << "after" << after << readings.frameGeometry();
        QVERIFY2(readings.screen()->availableGeometry().contains(readings.frameGeometry()),
                 qPrintable(frame));
        for (const QLineEdit* entry : readings.findChildren<QLineEdit*>())
            if (entry->isVisible() && !qobject_cast<QAbstractSpinBox*>(entry->parentWidget()))
                QVERIFY2(entry->height() >= entry->sizeHint().height(),
                         qPrintable(QLatin1String(after) + QLatin1String(": ") + entry->text()));
    }

private Q_SLOTS:
    void initTestCase() {
        Panel::initTestCase();
        Readings::install(false);
        QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    }
    void init() {
        Panel::init();
        Records::setStorePath(path("records.sqlite"));
        Records::setSettingsFile(path("settings.ini"));
        activate(&handOver());
    }
    void cleanup() {
        Panel::cleanup();
        Records::closeStore();
        QTRY_VERIFY(!Readings::existing());
    }

    // Opened beside the results window at the screen's right edge, then each change an
    // operator makes that asks for more room: the limit modes chosen by key, figures too wide
    // for the statistics, a long name without blanks recorded, the stability indicator on its
    // second line beside entries holding accented capitals.
    void staysOnScreen() {
        frmMeasure& results = *frmMeasure::loaded();
        const QRect area = results.screen()->availableGeometry();
        results.move(area.right() - results.frameGeometry().width() - 100, area.top());
        ReadingsWindow& readings = openReadings();
        fits(readings, "opening");
        const int opened = readings.width();
        const QSize least = readings.minimumSize();
        // On a desktop a title bar and a panel take their strips too (about 32 pixels each): the
        // least window leaves room for both even on the smallest screen.
        QVERIFY2(least.height() + 2 * 32 <= area.height() && least.width() + 16 <= area.width(),
                 qPrintable(QStringLiteral("least %1x%2").arg(least.width()).arg(least.height())));

        LimitsBox& limits = *readings.limits;
        limits.mode->setFocus();
        for (const char* mode : {"Nominal +/- %", "Low to high"}) {
            QTest::keyClick(limits.mode, Qt::Key_Down);
            QCOMPARE(limits.mode->currentText(), QLatin1String(mode));
            fits(readings, mode);
            QCOMPARE(readings.width(), opened);
            QCOMPARE(readings.minimumSize(), least);
        }

        // At its narrowest, widened for a control that needs more room, and given the width
        // back once it needs less again.
        readings.resize(readings.minimumSize());
        fits(readings, "narrowest");
        const int narrowest = readings.width();
        const int resultWidth = readings.result->minimumWidth();
        readings.result->setMinimumWidth(readings.stability->width() + 4);
        fits(readings, "a wider control");
        QVERIFY(readings.width() > narrowest);
        readings.result->setMinimumWidth(resultWidth);
        fits(readings, "the control narrower again");
        QCOMPARE(readings.width(), narrowest);
        readings.resize(opened, readings.height());

        RecordBox& box = *readings.record;
        // 64 characters without a blank, shown as typed: the tags are text.
        const QString name = QStringLiteral("<b>%1</b>").arg(QString(57, QLatin1Char('W')));
        typeInto(box.asset, name);
        typeInto(box.operatorName, QStringLiteral("Ölweiche ÄÖÜ"));
        typeInto(box.note, QStringLiteral("Ölweiche ÄÖÜ"));
        feed(readings, {0.0127f});
        QTest::keyClick(&readings, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(box.status->text(),
                 QStringLiteral("Recorded under %1. Its first record.").arg(name));
        QCOMPARE(shownToolTip(box.status->toolTip()), box.status->text());
        box.status->setSelection(0, int(box.status->text().size()));
        QCOMPARE(box.status->selectedText(), box.status->text());
        fits(readings, "a long name");
        QCOMPARE(readings.width(), opened);

        // Still settling after four: the indicator's text takes its second line.
        QLabel& indicator = *readings.stability->indicator;
        const int oneLine = indicator.height();
        feed(readings, {0.01262f, 0.01255f, 0.01250f});
        QVERIFY2(indicator.fontMetrics().horizontalAdvance(indicator.text()) >
                     indicator.contentsRect().width(),
                 qPrintable(indicator.text()));
        fits(readings, "a wrapped indicator");
        QCOMPARE(indicator.height(), oneLine);
        QVERIFY(indicator.heightForWidth(indicator.width()) <= indicator.height());
    }
};

QTEST_MAIN(ReadingsFitTest)
#include "tst_readings_fit.moc"
