// The program's records store and remembered settings.
#include "records/RunRecords.h"

#include "records/RecordLogic.h"
#include "records/RecordsWindow.h"
#include "records/SqliteRecordStore.h"
#include "records/TeamPassword.h"
#include "records/TeamSync.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include <cstdlib>
#include <memory>

namespace Records {

namespace {

QString g_storePath;
QString g_settingsFile;
QString g_lastRecorded; // in this run
QString g_team;
std::unique_ptr<SqliteRecordStore> g_store;
std::unique_ptr<TeamSync> g_sync;
QString g_teamUnused; // why a team server named is not kept in touch with

std::unique_ptr<QSettings> settings() {
    if (!g_settingsFile.isEmpty())
        return std::make_unique<QSettings>(g_settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("MX7500"), QStringLiteral("MX7500"));
}

const QString kOperator = QStringLiteral("records/operator");
const QString kChangeLimit = QStringLiteral("records/changeLimitPercent");
const QString kTeam = QStringLiteral("records/team");
const QString kBench = QStringLiteral("records/bench");

// The store's sync with the team server, when one is named and its URI can be used.
void startTeamSync() {
    g_teamUnused.clear();
    TeamUri uri;
    QString error;
    if (teamUri().isEmpty())
        return;
    // A URI from the settings is checked first here.
    if (!parseTeamUri(teamUri(), uri, error)) {
        g_teamUnused = error;
        return;
    }
    // The team's records could not be kept in it, nor any record of this bench made.
    if (g_store->isReadOnly()) {
        g_teamUnused = QStringLiteral("Team server: not in touch, because the records store on "
                                      "this computer is read-only");
        return;
    }
    g_sync = std::make_unique<TeamSync>(uri, g_store->path());
    askForTeamPassword(*g_sync);
    g_sync->start();
}

} // namespace

void setStorePath(const QString& path) {
    closeStore();
    g_storePath = path;
}

QString storePath() {
    if (!g_storePath.isEmpty())
        return g_storePath;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("records.sqlite"));
}

RecordStore* store(QString* error) {
    if (g_store)
        return g_store.get();
    auto opened = std::make_unique<SqliteRecordStore>();
    opened->setBench(benchName());
    if (!opened->open(storePath())) {
        if (error)
            *error = opened->errorText();
        return nullptr;
    }
    g_store = std::move(opened);
    startTeamSync();
    // Closed while Qt is still there: its database connections end with the application,
    // and a store left to the program's exit would close on what is gone. A program ended by
    // exit() never gets to the application's end (the toolkit exits so when its display goes
    // away): closed then before the statics, the connections among them, go.
    static const bool closedAtTheEnd = [] {
        const auto close = [] {
            g_sync.reset();
            g_store.reset();
        };
        qAddPostRoutine(close);
        std::atexit(close);
        return true;
    }();
    (void)closedAtTheEnd;
    return g_store.get();
}

void closeStore() {
    // A Records window shows the store it was opened on, and goes with it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* records = qobject_cast<RecordsWindow*>(window))
            delete records;
    }
    g_sync.reset();
    g_store.reset();
    g_teamUnused.clear();
}

void noteRecorded(const QString& asset) {
    g_lastRecorded = asset;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* records = qobject_cast<RecordsWindow*>(window))
            records->refresh();
    }
}

QString lastRecordedAsset() {
    return g_lastRecorded;
}

void setTeam(const QString& uri) {
    closeStore();
    g_team = uri;
}

QString teamUri() {
    return g_team.isEmpty() ? settings()->value(kTeam).toString() : g_team;
}

TeamSync* teamSync() {
    return g_sync.get();
}

QString teamUnusedText() {
    return g_teamUnused;
}

QString benchName() {
    const QString name = settings()->value(kBench).toString().trimmed();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

void setSettingsFile(const QString& path) {
    g_settingsFile = path;
}

QString rememberedOperator() {
    return settings()->value(kOperator).toString();
}

void rememberOperator(const QString& name) {
    settings()->setValue(kOperator, name);
}

double changeLimitPercent() {
    bool ok = false;
    const double percent = settings()->value(kChangeLimit).toDouble(&ok);
    return ok && percent > 0.0 ? percent : kDefaultChangeLimitPercent;
}

void setChangeLimitPercent(double percent) {
    settings()->setValue(kChangeLimit, percent);
}

} // namespace Records
