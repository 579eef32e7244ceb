// Where test records are kept. The program uses a file on this computer
// (SqliteRecordStore); a team's shared database can take its place behind the same calls.
#pragma once

#include "records/Record.h"

#include <QString>

#include <optional>
#include <vector>

namespace Records {

class RecordStore {
public:
    virtual ~RecordStore() = default;

    // Keeps `record` for good and gives it its id. True only once the record is committed:
    // it survives the program being killed and the power failing from then on. On false,
    // nothing of it is kept and errorText() says why.
    virtual bool add(Record& record) = 0;

    // Every asset whose name contains `text` (in any case of any letter; all with an empty
    // text), in the region's alphabetical order, each with its latest record. False on an
    // error.
    virtual bool assets(const QString& text, std::vector<AssetSummary>& out) = 0;

    // The records of the asset named exactly `asset`, oldest first. False on an error.
    virtual bool history(const QString& asset, std::vector<Record>& out) = 0;

    // The asset's latest record, none when it has none yet. False on an error.
    virtual bool latest(const QString& asset, std::optional<Record>& out) = 0;

    // What went wrong last, for the operator: what happened and what to do.
    virtual QString errorText() const = 0;
};

} // namespace Records
