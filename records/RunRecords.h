// The records of this program: its store, opened when first needed (the connection, results
// and configuration windows never touch it), the operator remembered between runs, and the
// change that gets flagged.
#pragma once

#include <QString>

namespace Records {

class RecordStore;
class TeamSync;

// The store's file: the one named by --records, else records.sqlite in the user's data folder.
void setStorePath(const QString& path);
QString storePath();

// The store, opened on first use; none, with the reason in `error`, when it cannot be opened
// (the next call tries again). Open until closeStore().
RecordStore* store(QString* error);
void closeStore();

// A record of `asset` was just kept: an open Records window shows it among the others.
void noteRecorded(const QString& asset);
// The asset recorded last in this run; empty before the first record.
QString lastRecordedAsset();
// The team server: the URI --team names, else the one in the settings ("records/team"),
// none when empty. Its sync starts with the store; none without a server.
void setTeam(const QString& uri);
QString teamUri();
TeamSync* teamSync();
// Why the team server named has no sync ("Team server: not in touch, because the records store
// on this computer is read-only"); empty when it has one or none is named.
QString teamUnusedText();
// The name written with each record: the settings' "records/bench", else the host name.
QString benchName();

// Where the remembered settings are kept: the user's configuration folder, unless a file is
// named here (tests).
void setSettingsFile(const QString& path);

// The operator's name as last recorded, empty at first.
QString rememberedOperator();
void rememberOperator(const QString& name);

// A change since the previous record beyond this percentage, either way, is flagged.
double changeLimitPercent();
void setChangeLimitPercent(double percent);

} // namespace Records
