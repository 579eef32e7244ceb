// Test records figures.
#include "RecordsFigures.h"

#include "Clocks.h"
#include "OkPrompt.h"
#include "records/Certificate.h"
#include "records/RecordLogic.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/SqliteRecordStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <random>

namespace RecordsFigures {

namespace {

using Records::Record;
using Records::SqliteRecordStore;

constexpr int kAssets = 1000;
constexpr int kTests = 100; // records per asset
constexpr int kRecords = kAssets * kTests;

// Joints, busbars, windings and earth bonds at five sites: "NORTH-J0000" to "RIVER-GND0999".
QString assetName(int asset) {
    static const char* const sites[] = {"NORTH", "SOUTH", "EAST", "WEST", "RIVER"};
    static const char* const kinds[] = {"J", "BB", "W", "GND"};
    return QStringLiteral("%1-%2%3")
        .arg(QLatin1String(sites[asset % 5]), QLatin1String(kinds[asset / 5 % 4]))
        .arg(asset, 4, 10, QLatin1Char('0'));
}

// The `test`th record of an asset: every asset tested about every two weeks from 2022 on, by
// one of four operators with one of three meters, under its limits; copper parts corrected to
// 20 degrees C, earth bonds not.
Record recordOf(int asset, int test, std::mt19937& random) {
    static const char* const operators[] = {"Ann Baker", "Tomasz Wójcik", "Ravi Patel",
                                            "Lena Hoffmann"};
    static const Records::Meter meters[] = {{"Norvale", "MX7500", "MX75-000123", "1.02"},
                                            {"Norvale", "MX7500", "MX75-000123", "1.04"},
                                            {"Norvale", "MX7500", "MX75-001017", "1.04"}};
    static const qint64 first =
        QDateTime(QDate(2022, 1, 3), QTime(7, 0), Qt::UTC).toMSecsSinceEpoch();
    constexpr qint64 kInterval = 1461LL * 86'400'000 / kTests; // four years over the tests
    std::uniform_int_distribution<qint64> jitter(0, 3 * 3'600'000);
    std::normal_distribution<double> noise(1.0, 0.01);
    std::uniform_real_distribution<double> ambient(12.0, 31.0);

    Record record;
    record.time = Records::localTime(first + test * kInterval + asset * 420'000LL + jitter(random));
    record.asset = assetName(asset);
    record.operatorName = QString::fromUtf8(operators[(asset / 7 + test) % 4]);
    if (test % 10 == 9)
        record.note = QStringLiteral("after re-torque");
    const double nominal = 0.005 + (asset % 50) * 0.0004;
    const bool bond = asset / 5 % 4 == 3;
    // Joints age: their resistance creeps up over the years.
    const double actual = nominal * (1.0 + 0.0004 * test) * noise(random);
    if (bond) {
        record.rx = actual;
        record.limits = {Limits::Mode::Window, 0.0, 0.0, 0.0, nominal * 1.2};
    } else {
        record.temperature = std::round(ambient(random) * 10.0) / 10.0;
        record.tempco = 0.00393;
        record.material = QStringLiteral("Copper");
        record.rx = actual * (1.0 + record.tempco * (record.temperature - 20.0));
        record.rtc = record.rx / (1.0 + record.tempco * (record.temperature - 20.0));
        record.limits = {Limits::Mode::Tolerance, nominal, 5.0, 0.0, 0.0};
    }
    const double value = Records::value(record);
    record.verdict =
        Limits::judge(record.limits, std::isnan(value) ? std::nullopt : std::optional(value));
    record.meter = meters[std::min(test * 3 / kTests, 2)]; // the newest one from then on
    record.programVersion = test < 50 ? QStringLiteral("1.00") : QStringLiteral("1.01");
    return record;
}

// The store's own add() of every record, oldest first and the assets taking turns as they
// would, in one transaction on the store's connection: the rows of 100 000 recordings with one
// sync instead of 100 000. Empty, or why it failed.
QString fill(SqliteRecordStore& store, const QString& connection) {
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.transaction())
        return db.lastError().text();
    std::mt19937 random(8);
    for (int test = 0; test < kTests; ++test) {
        for (int asset = 0; asset < kAssets; ++asset) {
            Record record = recordOf(asset, test, random);
            if (!store.add(record)) {
                db.rollback();
                return store.errorText();
            }
        }
    }
    return db.commit() ? QString() : db.lastError().text();
}

// Counts paint events of the widget it watches.
class PaintWatch : public QObject {
public:
    int painted = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        painted += event->type() == QEvent::Paint;
        return false;
    }
};

// Runs the events until `watch` has seen a paint and a pass paints nothing more: the moment of
// the last paint, or a negative value when nothing painted.
double paintedAt(PaintWatch& watch) {
    double at = -1.0;
    for (int pass = 0; pass < 50; ++pass) {
        const int before = watch.painted;
        QApplication::processEvents();
        if (watch.painted != before)
            at = Clocks::monotonic();
        else if (at >= 0)
            break;
    }
    return at;
}

Figure sizeFigure(const QString& file, const QString& connection) {
    Figure size{QStringLiteral("8e"), QStringLiteral("Store size per record (100 000 present)"),
                QStringLiteral("bytes"), 1024.0};
    QSqlQuery query(QSqlDatabase::database(connection, false));
    // Everything written ahead copied into the file and the journal emptied: what stays on disk.
    if (!query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) || !query.next() ||
        query.value(0).toInt() != 0) {
        size.missing =
            QStringLiteral("the journal could not be checkpointed: ") + query.lastError().text();
        return size;
    }
    const qint64 main = QFileInfo(file).size();
    const qint64 journal = QFileInfo(file + QStringLiteral("-wal")).size();
    size.runs << double(main + journal) / kRecords;
    size.details.insert(QStringLiteral("file_bytes"), double(main));
    size.details.insert(QStringLiteral("journal_bytes"), double(journal));
    // Where the bytes go, when SQLite was built with its page statistics.
    if (query.exec(QStringLiteral("SELECT name, sum(pgsize) FROM dbstat GROUP BY name"))) {
        QJsonObject parts;
        while (query.next())
            parts.insert(query.value(0).toString(), query.value(1).toDouble());
        size.details.insert(QStringLiteral("bytes_by_table_and_index"), parts);
    }
    return size;
}

// The team's copy: every asset of the store nine times more, "NORTH-J0000" copied as
// "NORTH-J1000" to "NORTH-J9000" and so on (the names assetName() gives those numbers), each copy
// recorded on another bench: 1 000 000 records of 10 000 assets. Empty, or why it failed.
QString growTenfold(const QString& connection) {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    const bool grown = query.exec(QStringLiteral(
        "WITH RECURSIVE copy(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM copy WHERE k < 9) "
        "INSERT INTO records (time, time_ms, asset, operator, note, rx, rtc, temperature, "
        "tempco, material, limits_mode, nominal, tolerance, low, high, verdict, stable, "
        "meter_maker, meter_model, meter_serial, meter_firmware, program_version, uuid, bench, "
        "sent) SELECT time, time_ms, substr(asset, 1, length(asset) - 4) || "
        "printf('%04d', CAST(substr(asset, -4) AS INTEGER) + 1000 * k), operator, note, rx, "
        "rtc, temperature, tempco, material, limits_mode, nominal, tolerance, low, high, "
        "verdict, stable, meter_maker, meter_model, meter_serial, meter_firmware, "
        "program_version, lower(hex(randomblob(16))), 'Bench ' || k, 1 FROM records, copy"));
    return grown ? QString() : query.lastError().text();
}

QList<Figure> windowFigures(Records::RecordStore& store, int runs, int assets,
                            const QStringList& numbers) {
    const QString count = QLocale(QLocale::English).toString(assets * kTests).replace(',', ' ');
    Figure open{numbers[0],
                QStringLiteral("Records window opened, assets listed, painted (%1)").arg(count),
                QStringLiteral("ms"), 300.0};
    Figure typed{
        numbers[1],
        QStringLiteral("One character more in its filter to the list repainted (%1)").arg(count),
        QStringLiteral("ms"), 50.0};
    for (int run = 0; run < runs; ++run) {
        PaintWatch watch;
        const double start = Clocks::monotonic();
        std::unique_ptr<RecordsWindow> window = std::make_unique<RecordsWindow>(store);
        window->assets->viewport()->installEventFilter(&watch);
        window->show();
        const double painted = paintedAt(watch);
        if (painted < 0 || window->assets->rowCount() != assets) {
            open.missing = QStringLiteral("the window did not list every asset and paint");
            return {open, typed};
        }
        open.runs << (painted - start) * 1000.0;
    }

    // Whole names typed in lower case into the filter of an open window, from an empty filter:
    // every keystroke a run, the first ones listing most of the assets, the last one alone.
    RecordsWindow window(store);
    PaintWatch watch;
    window.assets->viewport()->installEventFilter(&watch);
    window.show();
    paintedAt(watch);
    QJsonArray worst, listed;
    for (int run = 0; run < runs; ++run) {
        const QString name = assetName((run * 379 + 11) % assets).toLower();
        window.filter->clear();
        paintedAt(watch);
        double slowest = 0.0;
        for (const QChar c : name) {
            const double start = Clocks::monotonic();
            QTest::keyClick(window.filter, c.toLatin1());
            const double painted = paintedAt(watch);
            if (painted < 0) {
                typed.missing = QStringLiteral("the list did not repaint after a keystroke");
                return {open, typed};
            }
            typed.runs << (painted - start) * 1000.0;
            slowest = std::max(slowest, (painted - start) * 1000.0);
            if (window.filter->text().size() == 1)
                listed.append(window.assets->rowCount());
        }
        if (window.filter->text() != name || window.assets->rowCount() != 1) {
            typed.missing = QStringLiteral("typing %1 did not list that asset alone").arg(name);
            return {open, typed};
        }
        worst.append(slowest);
    }
    typed.details.insert(QStringLiteral("slowest_keystroke_per_name_ms"), worst);
    typed.details.insert(QStringLiteral("assets_listed_after_first_character"), listed);
    return {open, typed};
}

Figure certificateFigure(Records::RecordStore& store, const QString& folder, int runs) {
    Figure certificate{QStringLiteral("8d"),
                       QStringLiteral("Certificate of 100 records read and written as PDF"),
                       QStringLiteral("ms"), 1000.0};
    const Records::CertificateHeader header{QStringLiteral("MX7500 Virtual Front Panel 1.01"),
                                            QStringLiteral("Ann Baker"), QDate(2026, 1, 5),
                                            Records::Dates{}}; // every day
    const QString file = folder + QStringLiteral("/certificate.pdf");
    QList<double> reading;
    for (int run = 0; run < runs; ++run) {
        const double start = Clocks::monotonic();
        std::vector<std::vector<Record>> assets(1);
        if (!store.history(assetName((run * 613 + 5) % kAssets), assets[0]) ||
            assets[0].size() != size_t(kTests)) {
            certificate.missing = QStringLiteral("an asset's 100 records could not be read");
            return certificate;
        }
        const double read = Clocks::monotonic();
        QString error;
        if (!Records::writeCertificate(file, header, assets, 20.0, error)) {
            certificate.missing = error;
            return certificate;
        }
        certificate.runs << (Clocks::monotonic() - start) * 1000.0;
        reading << (read - start) * 1000.0;
    }
    certificate.details.insert(QStringLiteral("history_read_median_ms"), Clocks::median(reading));
    certificate.details.insert(QStringLiteral("pdf_bytes"), double(QFileInfo(file).size()));
    return certificate;
}

Figure addFigure(SqliteRecordStore& store, int runs) {
    Figure add{QStringLiteral("8a"),
               QStringLiteral("One record added, committed and synced (100 000 present)"),
               QStringLiteral("ms"), 5.0};
    std::mt19937 random(80);
    for (int run = 0; run < runs; ++run) {
        Record record = recordOf((run * 131 + 3) % kAssets, kTests, random);
        const double start = Clocks::monotonic();
        if (!store.add(record)) {
            add.missing = store.errorText();
            return add;
        }
        add.runs << (Clocks::monotonic() - start) * 1000.0;
    }
    return add;
}

} // namespace

QList<Figure> measure(int windowRuns, int addRuns) {
    // A failing store tells the operator; the bench's operator answers at once.
    static OkPrompt prompt;
    OperatorPrompt::install(&prompt);
    QList<Figure> figures;
    QTemporaryDir folder;
    Records::setSettingsFile(folder.filePath(QStringLiteral("settings.ini")));
    const QString file = folder.filePath(QStringLiteral("records.sqlite"));

    const QStringList before = QSqlDatabase::connectionNames();
    SqliteRecordStore store;
    QString failed;
    if (!folder.isValid())
        failed = QStringLiteral("no temporary folder");
    else if (!store.open(file))
        failed = store.errorText();
    QString connection;
    for (const QString& name : QSqlDatabase::connectionNames())
        if (!before.contains(name))
            connection = name;
    const double start = Clocks::monotonic();
    if (failed.isEmpty())
        failed = fill(store, connection);
    const double built = Clocks::monotonic() - start;
    if (!failed.isEmpty()) {
        for (const char* number : {"8a", "8b", "8c", "8d", "8e", "8f", "8g"}) {
            Figure figure{QString::fromLatin1(number), QStringLiteral("Test records"),
                          QStringLiteral("-"), 0.0};
            figure.missing = QStringLiteral("no store of 100 000 records: ") + failed;
            figures << figure;
        }
        Records::setSettingsFile(QString());
        return figures;
    }

    const Figure size = sizeFigure(file, connection);
    const QList<Figure> window =
        windowFigures(store, windowRuns, kAssets, {QStringLiteral("8b"), QStringLiteral("8c")});
    const Figure certificate = certificateFigure(store, folder.path(), windowRuns);
    Figure add = addFigure(store, addRuns);
    add.details.insert(QStringLiteral("store_built_in_s"), built);
    add.details.insert(QStringLiteral("store_folder"), folder.path());
    figures << add << window << certificate << size;

    // The same window on a team's copy ten times the size.
    const QString grown = growTenfold(connection);
    QList<Figure> team = windowFigures(store, windowRuns, kAssets * 10,
                                       {QStringLiteral("8f"), QStringLiteral("8g")});
    for (Figure& figure : team) {
        if (!grown.isEmpty())
            figure.missing = QStringLiteral("no copy of 1 000 000 records: ") + grown;
    }
    figures << team;
    Records::setSettingsFile(QString());
    return figures;
}

} // namespace RecordsFigures
