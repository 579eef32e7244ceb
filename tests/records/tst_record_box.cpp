// Recording from the Readings window against an in-memory meter: records with the meter's
// identification and the change since the previous one, in a comma-decimal locale; the
// refusals; a second record of one reading asked first; a store that fails leaving the reading
// to record again; each reading of an auto-repeat recorded; the Records window.
#include "Panel.h"
#include "PdfText.h"
#include "link/Commands.h"
#include "readings/AutoRepeat.h"
#include "readings/CheckedEntry.h"
#include "readings/Readings.h"
#include "readings/ReadingsModel.h"
#include "readings/ReadingsWindow.h"
#include "readings/RepeatBox.h"
#include "records/HistoryChart.h"
#include "records/RecordBox.h"
#include "records/RecordTexts.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/SqliteRecordStore.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>

#include <tuple>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class RecordBoxTest : public Panel {
    Q_OBJECT
    frmMeasure* m_results = nullptr;

    void take(const QByteArray& reply) {
        reading = reply;
        m_results->Start->click();
    }
    static void pressRecord(ReadingsWindow& readings) {
        QTest::keyClick(&readings, Qt::Key_Return, Qt::ControlModifier);
    }
    // The asset's records as the store has them: Rx, operator, note, verdict and the meter.
    QStringList stored(const QString& asset) const {
        Records::SqliteRecordStore store;
        std::vector<Records::Record> records;
        if (!store.open(path("records.sqlite")) || !store.history(asset, records))
            return {store.errorText()};
        QStringList rows;
        for (const Records::Record& r : records)
            rows << QStringList({QString::number(r.rx), r.operatorName, r.note,
                                 Limits::text(r.verdict), r.meter.maker, r.meter.model,
                                 r.meter.serial, r.meter.firmware, r.programVersion,
                                 QString::number(r.stable)})
                        .join(QLatin1Char(' '));
        return rows;
    }

    static QList<RecordsWindow*> recordsWindows() {
        QList<RecordsWindow*> found;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<RecordsWindow*>(top); window && window->isVisible())
                found << window;
        return found;
    }
    static QString column(QTableWidget* table, int c) {
        QStringList cells;
        for (int r = 0; r < table->rowCount(); ++r)
            cells << table->item(r, c)->text();
        return cells.join('|');
    }

private Q_SLOTS:
    void initTestCase() {
        Panel::initTestCase();
        Readings::install(false);
        Records::install();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    }
    void init() {
        Panel::init();
        Records::setStorePath(path("records.sqlite"));
        Records::setSettingsFile(path("settings.ini"));
        m_results = &handOver();
        activate(m_results);
    }
    void cleanup() {
        Panel::cleanup();
        Records::closeStore();
        QTRY_VERIFY(!Readings::existing());
    }

    // One joint recorded as an operator would: refused without a reading in range and an
    // asset; the first record, then the change since the one before in the region's format,
    // flagged beyond 20 %; the same reading again only when the operator says so; the operator
    // remembered for the next run. Then Ctrl+H: the assets found as typed, the joint's records
    // with their changes flagged either way, a new limit kept, Export... and Records...
    void recordAndReview() {
        useGerman();
        ReadingsWindow& readings = openReadings();
        RecordBox& box = *readings.record;
        QStringList letters; // each Alt+letter of the window reaches one control
        for (QWidget* widget : readings.findChildren<QWidget*>()) {
            const auto* label = qobject_cast<QLabel*>(widget);
            const auto* button = qobject_cast<QAbstractButton*>(widget);
            const QString text = label ? label->text() : button ? button->text() : QString();
            if (const int at = int(text.indexOf('&')); at >= 0)
                letters << text.mid(at + 1, 1).toLower();
        }
        QCOMPARE(letters.removeDuplicates(), 0);
        const auto refused = [&](const QString& message) {
            prompt->expectOk(message);
            pressRecord(readings);
        };
        refused("There is no reading to record yet.");
        take(QByteArray(Commands::kOverRangeReply) + "\n");
        refused("A \"Range Error\" reading cannot be recorded.");
        typeInto(box.asset, QStringLiteral("J1"));
        typeInto(box.operatorName, QStringLiteral("Ann"));
        typeInto(box.note, QStringLiteral("yearly"));
        const QString since = " since " + QDate::currentDate().toString(Qt::ISODate);
        for (auto [reply, status] : {std::pair{"0.010\n", " Its first record."},
                                     {"0.0112\n", " +12,0 %"},
                                     {"0.014\n", " +25,0 %"},
                                     {"0.0091\n", " -35,0 %"}}) {
            take(reply);
            pressRecord(readings);
            QVERIFY(box.status->text().startsWith(QLatin1String("Recorded under J1.") + status));
        }
        QCOMPARE(box.status->text(), "Recorded under J1. -35,0 %" + since + ", beyond 20 %");
        QCOMPARE(box.status->palette().color(QPalette::WindowText), QColor(0xd0, 0x10, 0x10));
        for (auto [asset, answer] : {std::pair{"J1", Answer::No}, {"Busbar 2", Answer::Yes}}) {
            typeInto(box.asset, QString::fromLatin1(asset));
            prompt->expect(QStringLiteral("This reading is already recorded under J1. Record it "
                                          "again under %1?")
                               .arg(asset),
                           Buttons::YesNo, answer);
            pressRecord(readings);
        }
        QCOMPARE(stored("J1").last(), "0.0091 Ann yearly  Norvale MX7500 MX75-000123 1.04 1.00 0");
        QCOMPARE(RecordBox().operatorName->text(), QStringLiteral("Ann"));

        // A record of the joint from a service two years ago: shown until only some days are.
        Records::Record earlier = Records::recordOf({}, {}, {"J1", "Bo", "", ""}, {}, "1.00");
        std::tie(earlier.time, earlier.rx) =
            std::tuple(QDateTime(QDate::currentDate().addYears(-2), QTime(9, 0)), 0.02);
        QVERIFY(Records::store(nullptr)->add(earlier));

        activate(m_results);
        QTest::keyClick(m_results, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(recordsWindows().size(), 1);
        RecordsWindow* window = recordsWindows()[0];
        // Open on the asset recorded last, and following what is recorded while it is open.
        QCOMPARE(column(window->history, 1), QStringLiteral("9,1 mOhm"));
        take("0.0093\n");
        box.recordButton->click();
        QCOMPARE(column(window->history, 1), QStringLiteral("9,1 mOhm|9,3 mOhm"));
        QCOMPARE(column(window->assets, 0) + " " + column(window->assets, 1), "Busbar 2|J1 2|5");
        activate(window);
        typeInto(window->filter, QStringLiteral("j"));
        QCOMPARE(column(window->assets, 0), QStringLiteral("J1"));
        window->assets->setCurrentCell(0, 0);
        QCOMPARE(
            column(window->history, 1) + " " + column(window->history, Records::ChangeColumn),
            "20 mOhm|10 mOhm|11,2 mOhm|14 mOhm|9,1 mOhm |-50,0 % !|+12,0 %|+25,0 % !|-35,0 % !");
        QCOMPARE(window->history->item(4, Records::ChangeColumn)->foreground().color(),
                 QColor(0xd0, 0x10, 0x10));
        const QImage chart = window->chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(chart.constBits()); // dots and line:
        QVERIFY(std::count(pixels, pixels + chart.width() * chart.height(), qRgb(0, 70, 200)) > 20);
        window->changeLimit->setValue(30.0);
        QCOMPARE(column(window->history, Records::ChangeColumn),
                 QStringLiteral("|-50,0 % !|+12,0 %|+25,0 %|-35,0 % !"));
        QCOMPARE(Records::changeLimitPercent(), 30.0);

        // Today's records only, the dates typed as an operator types them: each change still
        // against the record before, and the export of the records shown.
        QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(window->datesOnly->isChecked()); // a mnemonic clicks a moment later
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QDate::currentDate().toString("yyyyMMdd"));
        QCOMPARE(window->fromDate->date(), QDate::currentDate());
        QCOMPARE(column(window->history, Records::ChangeColumn),
                 QStringLiteral("-50,0 % !|+12,0 %|+25,0 %|-35,0 % !"));
        prompt->expectFile(path("j1"));
        window->exportButton->click();
        QFile exported(path("j1.csv"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = exported.readAll().split('\n');
        QCOMPARE(lines.size(), 6); // the header, four records, after the last line end
        QCOMPARE(lines.value(4).split(',').mid(1, 4).join(','), "J1,Ann,yearly,0.0091");

        // A certificate of the assets selected: the current one, or all with Ctrl+A.
        typeInto(window->filter, QString());
        QCOMPARE(window->selectedAssets(), QStringList({"J1"}));
        window->assets->setFocus();
        QTest::keyClick(window->assets, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(window->selectedAssets(), QStringList({"Busbar 2", "J1"}));
        QVERIFY(window->history->rowCount() == 4 && window->exportButton->isEnabled());
        prompt->expectFile(path("j1"));
        window->certificateButton->click();
        const QString certified = pdfText(path("j1.pdf"));
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        for (const QString& part :
             {"Recordsdated:" + today + "to" + today, QString("Asset:Busbar2"), QString("Asset:J1"),
              QString("Summary:6records;")})
            QVERIFY2(certified.contains(part), qPrintable(part + ": " + certified));
        // No day with a record: nothing to certify, nothing shown.
        window->toDate->setFocus(Qt::TabFocusReason); // tabbed into: its first part selected
        QTest::keyClicks(window->toDate, QDate::currentDate().addDays(-1).toString("yyyyMMdd"));
        QCOMPARE(window->history->rowCount(), 0);
        prompt->expectOk(QStringLiteral("The selected assets have no records of the dates chosen: "
                                        "no certificate written."));
        window->certificateButton->click();
        box.recordsButton->click();
        QCOMPARE(recordsWindows(), QList<RecordsWindow*>({window}));
    }

    // A store that cannot take the record says so, never "Recorded", and the reading can be
    // recorded once the store is put right: one that cannot be opened, one locked by another
    // program.
    void failedStoreKeepsTheReading() {
        QFile file(path("not-a-store"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
        file.close();
        Records::setStorePath(file.fileName());
        ReadingsWindow& readings = openReadings();
        typeInto(readings.record->asset, QStringLiteral("J1"));
        take("0.0125\n");
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(path("records.sqlite"));
        for (const QString& error :
             {file.fileName() + " is not a records store (it is not a database). Name another "
                                "file with --records, or move this one away.",
              "The records store " + path("records.sqlite") +
                  " is locked by another program. Record again once that program has finished "
                  "with it."}) {
            prompt->expectOk("Not recorded: " + error);
            pressRecord(readings);
            QCOMPARE(readings.record->status->text(), QStringLiteral("Not recorded."));
            Records::setStorePath(path("records.sqlite"));
            if (!other.isOpen()) // a store, written to by another program for too long
                QVERIFY(stored("J1").isEmpty() && other.open() &&
                        QSqlQuery(other).exec("BEGIN IMMEDIATE"));
        }
        other.close();
        pressRecord(readings);
        QCOMPARE(stored("J1").size(), 1);
    }

    // Ticked, each reading of an auto-repeat is recorded, its "Range Error" readings skipped and
    // counted; a series that cannot be recorded says so once and stops recording; a reading
    // taken by hand waits for Record.
    void eachReadingOfASeries() {
        ReadingsWindow& readings = openReadings();
        RecordBox& box = *readings.record;
        take("0.0130\n"); // the meter settling: a step, then steady
        reading = "0.0125\n";
        box.eachReading->setChecked(true);
        typeInto(readings.repeat->interval, QStringLiteral("0.5"));
        readings.repeat->count->setValue(2);
        prompt->expectOk(QStringLiteral("Enter the asset the reading was taken on (a joint, "
                                        "winding, part or serial number) before recording.\n"
                                        "Recording each reading has stopped."));
        readings.repeat->startStop->click();
        QTRY_VERIFY(!readings.autoRepeat->running());
        QVERIFY(!box.eachReading->isChecked());

        typeInto(box.asset, QStringLiteral("Winding U"));
        box.eachReading->setChecked(true);
        // The series' fourth reading is a "Range Error": skipped, and counted.
        int triggers = 0;
        port->onCommand = [this, &triggers, meter = port->onCommand](const QByteArray& command) {
            if (command == "*TRG\r\n" && ++triggers == 4)
                reading = QByteArray(Commands::kOverRangeReply) + "\n";
            meter(command);
        };
        readings.repeat->count->setValue(4);
        readings.repeat->startStop->click();
        QTRY_VERIFY(!readings.autoRepeat->running());
        // Judged stable at the sixth reading since Clear, the third of this series.
        QCOMPARE(stored("Winding U").replaceInStrings(QRegularExpression(".* "), ""),
                 QStringList({"0", "0", "1"}));
        QCOMPARE(box.status->text(),
                 QStringLiteral("1 \"Range Error\" reading skipped in this series."));
        take("0.0126\n");
        QCOMPARE(stored("Winding U").size(), 3);
        QCOMPARE(readings.model->rowCount(), 8);
    }
};

QTEST_MAIN(RecordBoxTest)
#include "tst_record_box.moc"
