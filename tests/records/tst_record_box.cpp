// Recording from the Readings window against an in-memory meter: records with the meter's
// identification and the change since the previous one, in a comma-decimal locale; every
// refusal with its message; a second record of one reading asked first; a store that fails
// leaving the reading to record again; each reading of an auto-repeat recorded.
#include "Panel.h"
#include "link/Commands.h"
#include "readings/AutoRepeat.h"
#include "readings/CheckedEntry.h"
#include "readings/Readings.h"
#include "readings/ReadingsModel.h"
#include "readings/ReadingsWindow.h"
#include "readings/RepeatBox.h"
#include "records/RecordBox.h"
#include "records/RecordLogic.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/SqliteRecordStore.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>

#include <clocale>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class RecordBoxTest : public Panel {
    Q_OBJECT
    frmMeasure* m_results = nullptr;

    ReadingsWindow& openReadings() {
        QTest::keyClick(m_results, Qt::Key_R, Qt::ControlModifier);
        ReadingsWindow* readings = Readings::existing();
        if (!readings || !readings->isVisible())
            qFatal("Ctrl+R did not open the Readings window");
        QApplication::setActiveWindow(readings);
        return *readings;
    }
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
                                 r.meter.serial, r.meter.firmware, r.programVersion})
                        .join(QLatin1Char(' '));
        return rows;
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
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
        Panel::cleanup();
        Records::closeStore();
        QTRY_VERIFY(!Readings::existing());
    }

    // Three readings of one joint: the first record, then the change since the one before,
    // flagged beyond 20 %, in the region's format; the operator remembered for the next run.
    void recordsWithTheChange() {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ReadingsWindow& readings = openReadings();
        RecordBox& box = *readings.record;
        typeInto(box.asset, QStringLiteral("Joint 1"));
        typeInto(box.operatorName, QStringLiteral("Ann"));
        typeInto(box.note, QStringLiteral("yearly"));
        take("0.0125\n");
        pressRecord(readings);
        QCOMPARE(box.status->text(), QStringLiteral("Recorded under Joint 1. Its first record."));
        take("0.014\n");
        pressRecord(readings);
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(box.status->text(),
                 QStringLiteral("Recorded under Joint 1. +12,0 % since %1").arg(today));
        QCOMPARE(box.status->palette().color(QPalette::WindowText),
                 QPalette().color(QPalette::WindowText));
        take("0.0175\n");
        box.recordButton->click();
        QCOMPARE(
            box.status->text(),
            QStringLiteral("Recorded under Joint 1. +25,0 % since %1, beyond 20 %").arg(today));
        QCOMPARE(box.status->palette().color(QPalette::WindowText), QColor(0xd0, 0x10, 0x10));
        QCOMPARE(stored("Joint 1"),
                 QStringList({"0.0125 Ann yearly  Norvale MX7500 MX75-000123 1.04 1.00",
                              "0.014 Ann yearly  Norvale MX7500 MX75-000123 1.04 1.00",
                              "0.0175 Ann yearly  Norvale MX7500 MX75-000123 1.04 1.00"}));
        QCOMPARE(Records::rememberedOperator(), QStringLiteral("Ann"));
        QCOMPARE(RecordBox().operatorName->text(), QStringLiteral("Ann"));
    }

    // Nothing is recorded without a reading in range and a fit asset and operator name.
    void refusals_data() {
        QTest::addColumn<QByteArray>("reply"); // none: no reading yet
        QTest::addColumn<QString>("asset");
        QTest::addColumn<QString>("operatorName");
        QTest::addColumn<QString>("message");
        row("no reading", QByteArray(), "J1", "", "There is no reading to record yet.");
        row("Range Error", QByteArray(Commands::kOverRangeReply) + "\n", "J1", "",
            "A \"Range Error\" reading cannot be recorded.");
        row("no asset", QByteArray("0.0125\n"), "  ", "Ann",
            "Enter the asset the reading was taken on (a joint, winding, part or serial number) "
            "before recording.");
        row("asset too long", QByteArray("0.0125\n"), QString(65, QLatin1Char('j')), "Ann",
            "The asset name has 65 characters; at most 64 are allowed.");
        row("asset with a tab", QByteArray("0.0125\n"), "J\t1", "Ann",
            "The asset name contains a control character (a tab or line break, for instance); "
            "type it again without.");
        row("operator too long", QByteArray("0.0125\n"), "J1", QString(65, QLatin1Char('o')),
            "The operator's name has 65 characters; at most 64 are allowed.");
    }
    void refusals() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, asset);
        QFETCH(QString, operatorName);
        QFETCH(QString, message);
        ReadingsWindow& readings = openReadings();
        if (!reply.isEmpty())
            take(reply);
        readings.record->asset->setText(asset);
        readings.record->operatorName->setText(operatorName);
        prompt->expectOk(message);
        pressRecord(readings);
        QCOMPARE(readings.record->status->text(), QString());
        QVERIFY(!QFile::exists(path("records.sqlite")) || stored(asset.trimmed()).isEmpty());
    }

    // The same reading again, under the same or another asset, only when the operator says so.
    void twiceAsks() {
        ReadingsWindow& readings = openReadings();
        typeInto(readings.record->asset, QStringLiteral("J1"));
        take("0.0125\n");
        pressRecord(readings);
        prompt->expect(QStringLiteral("This reading is already recorded under J1. Record it "
                                      "again under J1?"),
                       Buttons::YesNo, Answer::No);
        pressRecord(readings);
        QCOMPARE(stored("J1").size(), 1);
        typeInto(readings.record->asset, QStringLiteral("J2"));
        prompt->expect(QStringLiteral("This reading is already recorded under J1. Record it "
                                      "again under J2?"),
                       Buttons::YesNo, Answer::Yes);
        pressRecord(readings);
        QCOMPARE(stored("J2").size(), 1);
        QCOMPARE(readings.record->status->text(),
                 QStringLiteral("Recorded under J2. Its first record."));
        take("0.0126\n"); // a new reading is recorded without a question
        pressRecord(readings);
        QCOMPARE(stored("J2").size(), 2);
    }

    // A store that cannot take the record says so, never "Recorded", and the reading can be
    // recorded once the store is put right: one that cannot be opened, one locked by another
    // program.
    void failedStoreKeepsTheReading() {
        const QString bad = path("not-a-store");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
        file.close();
        Records::setStorePath(bad);
        ReadingsWindow& readings = openReadings();
        typeInto(readings.record->asset, QStringLiteral("J1"));
        take("0.0125\n");
        prompt->expectOk(QStringLiteral("Not recorded: %1 is not a records store (it is not a "
                                        "database). Name another file with --records, or move "
                                        "this one away.")
                             .arg(bad));
        pressRecord(readings);
        QCOMPARE(readings.record->status->text(), QStringLiteral("Not recorded."));
        // Open, but written to by another program for longer than the store waits.
        Records::setStorePath(path("records.sqlite"));
        QCOMPARE(stored("J1").size(), 0);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            other.setDatabaseName(path("records.sqlite"));
            QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN IMMEDIATE"));
            prompt->expectOk(QStringLiteral("Not recorded: The records store %1 is locked by "
                                            "another program. Record again once that program "
                                            "has finished with it.")
                                 .arg(path("records.sqlite")));
            pressRecord(readings);
            QCOMPARE(readings.record->status->text(), QStringLiteral("Not recorded."));
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        pressRecord(readings);
        QCOMPARE(readings.record->status->text(),
                 QStringLiteral("Recorded under J1. Its first record."));
        QCOMPARE(stored("J1").size(), 1);
    }

    // Ctrl+H: the assets found as the operator types, an asset's records with the change since
    // the one before, flagged beyond the set percentage, and exported as CSV.
    void recordsWindow() {
        ReadingsWindow& readings = openReadings();
        RecordBox& box = *readings.record;
        for (auto [asset, reply] : {std::pair{"J1", "0.010\n"}, std::pair{"J1", "0.013\n"},
                                    std::pair{"Busbar 2", "0.02\n"}}) {
            box.asset->setText(QString::fromLatin1(asset));
            take(reply);
            pressRecord(readings);
        }
        activate(m_results);
        QTest::keyClick(m_results, Qt::Key_H, Qt::ControlModifier);
        RecordsWindow* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            window = window ? window : qobject_cast<RecordsWindow*>(top);
        QVERIFY(window && window->isVisible());
        const auto column = [](QTableWidget* table, int c) {
            QStringList cells;
            for (int r = 0; r < table->rowCount(); ++r)
                cells << table->item(r, c)->text();
            return cells.join('|');
        };
        QCOMPARE(column(window->assets, 0) + " " + column(window->assets, 1),
                 QStringLiteral("Busbar 2|J1 1|2"));
        activate(window);
        typeInto(window->filter, QStringLiteral("j"));
        QCOMPARE(column(window->assets, 0), QStringLiteral("J1"));
        window->assets->setCurrentCell(0, 0);
        QCOMPARE(column(window->history, 1) + " " + column(window->history, 6),
                 QStringLiteral("10 mOhm|13 mOhm |+30.0 % !"));
        QCOMPARE(window->history->item(1, 6)->foreground().color(), QColor(0xd0, 0x10, 0x10));
        window->changeLimit->setValue(40.0);
        QCOMPARE(column(window->history, 6), QStringLiteral("|+30.0 %"));
        QCOMPARE(Records::changeLimitPercent(), 40.0);

        prompt->expectFile(path("j1"));
        window->exportButton->click();
        QFile exported(path("j1.csv"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = exported.readAll().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].contains(",J1,,,0.01,") && lines[2].contains(",J1,,,0.013,"));

        box.recordsButton->click(); // the same window again, listing what is recorded now
        int windows = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            windows += qobject_cast<RecordsWindow*>(top) != nullptr;
        QCOMPARE(windows, 1);
    }

    // Ticked, each reading of an auto-repeat is recorded; a series that cannot be recorded
    // says so once and stops recording; a reading taken by hand waits for Record.
    void eachReadingOfASeries() {
        ReadingsWindow& readings = openReadings();
        RecordBox& box = *readings.record;
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
        readings.repeat->count->setValue(3);
        readings.repeat->startStop->click();
        QTRY_VERIFY(!readings.autoRepeat->running());
        QCOMPARE(stored("Winding U").size(), 3);
        take("0.0126\n");
        QCOMPARE(stored("Winding U").size(), 3);
        QCOMPARE(readings.model->rowCount(), 6);
    }
};

QTEST_MAIN(RecordBoxTest)
#include "tst_record_box.moc"
