// Test records in one SQLite file through Qt SQL: a versioned layout upgraded in place, a
// write-ahead journal with every commit synced to the disk, and only prepared statements with
// bound values, so any text an operator or a scanner types is stored as that text.
#pragma once

#include "records/RecordStore.h"

class QSqlError;
class QSqlQuery;

namespace Records {

class SqliteRecordStore : public RecordStore {
public:
    // The layout this program writes; a file of an older layout is upgraded when opened.
    static constexpr int kVersion = 5;
    // Marks a file as a records store of this program ("MX75").
    static constexpr int kApplicationId = 0x4d583735;

    SqliteRecordStore();
    ~SqliteRecordStore() override;
    SqliteRecordStore(const SqliteRecordStore&) = delete;
    // The bench written with the records this store adds (and with the records already kept
    // when a file of an older layout is upgraded): this computer's host name unless set.
    void setBench(const QString& bench) { m_bench = bench; }
    QString bench() const { return m_bench; }

    SqliteRecordStore& operator=(const SqliteRecordStore&) = delete;

    // Opens the store in `path`, creating the file (and its folder) when there is none. False,
    // with errorText(), for a file that is not a store, of a newer layout, or cannot be read.
    // A store that cannot be written is opened to be read: add() then refuses every record.
    bool open(const QString& path);
    bool isOpen() const { return m_open; }
    bool isReadOnly() const { return m_readOnly; }
    QString path() const { return m_path; }

    bool add(Record& record) override;
    bool assets(const QString& text, std::vector<AssetSummary>& out) override;
    bool history(const QString& asset, std::vector<Record>& out) override;
    bool latest(const QString& asset, std::optional<Record>& out) override;
    QString errorText() const override { return m_error; }

private:
    // Unchanging: read without locks or journal, where neither can be kept beside the file.
    enum class Access { ReadWrite, ReadOnly, Unchanging };
    bool openAs(Access access);
    bool prepareLayout();
    // Gives every record that has none its unique id, as made on this bench.
    bool giveIds(QSqlQuery& query);
    bool fail(const QString& doing, const QSqlError& error);
    // Every asset with its count and latest record, in order, into m_listing: read again only
    // when something was committed since.
    bool listAll();
    QString readOnlyText() const;

    QString m_connection; // this store's own Qt SQL connection
    QString m_path;
    QString m_error;
    QString m_bench;
    bool m_open = false;
    bool m_readOnly = false;
    bool m_readOnlyFailure = false; // the last failure was SQLite being refused writing
    std::vector<AssetSummary> m_listing;
    bool m_listed = false;
    qint64 m_listedVersion = 0;
};

} // namespace Records
