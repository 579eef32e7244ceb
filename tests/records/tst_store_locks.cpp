// The records store's locks while the program lists the store's folder in its file dialog.
// POSIX locks belong to the process: any code that opens and closes one of the store's files
// drops every lock SQLite holds on it, and another program may then take the journal away
// from under records reported kept. Run with --record FILE ASSET, this test is that other
// program.
#include "RecordSamples.h"
#include "records/RunRecords.h"
#include "windowkit/DialogPrompt.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using Records::Record;
using Records::SqliteRecordStore;

namespace {

// The locks this process holds on `file`, as the kernel lists them.
int locksOn(const QString& file) {
    struct stat info {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return 0;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return -1;
    // "1: POSIX  ADVISORY  READ 1234 fe:01:56789 128 128"
    const QByteArray pid = QByteArray::number(::getpid());
    const QByteArray inode = ':' + QByteArray::number(qulonglong(info.st_ino));
    int count = 0;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        count += fields.size() > 5 && fields[4] == pid && fields[5].endsWith(inode);
    }
    return count;
}

// The other program: one record in the store, and closed.
int recordAsAnotherProgram(const QString& file, const QString& asset) {
    SqliteRecordStore store;
    Record record = recordAt(asset);
    return store.open(file) && store.add(record) ? 0 : 1;
}

} // namespace

class StoreLocksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The file dialog lists the store's folder, types and icons and all, while the store is
    // open: its locks stay held, so another program that records and closes the store leaves
    // the journal in place, and every record reported kept by either is there.
    void fileDialogLeavesTheLocksHeld() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("store.sqlite"));
        SqliteRecordStore store;
        Record first = recordAt(QStringLiteral("A1"));
        QVERIFY2(store.open(file) && store.add(first), qPrintable(store.errorText()));
        const int held = locksOn(file) + locksOn(file + QStringLiteral("-shm"));
        QVERIFY2(held > 0, "SQLite holds no lock on the open store");
        {
            QFileDialog dialog;
            setUpFileDialog(dialog, {QStringLiteral("CSV files (*.csv)|*.csv|"),
                                     QStringLiteral("Export records"), dir.path() + '/'});
            dialog.setNameFilter(QStringLiteral("All files (*)")); // every file of the store shown
            dialog.setViewMode(QFileDialog::Detail);
            dialog.show();
            auto* model = dialog.findChild<QFileSystemModel*>();
            QVERIFY(model);
            // Listed with each file's type, which is where a look into its contents would be.
            QTRY_VERIFY(!model->type(model->index(file + QStringLiteral("-wal"))).isEmpty());
            QTRY_VERIFY(!model->type(model->index(file)).isEmpty());
            QTest::qWait(200);
            QCOMPARE(locksOn(file) + locksOn(file + QStringLiteral("-shm")), held);
        }
        QCOMPARE(locksOn(file) + locksOn(file + QStringLiteral("-shm")), held);

        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--record"), file, QStringLiteral("B2")}),
                 0);
        QVERIFY2(QFile::exists(file + QStringLiteral("-wal")),
                 "the other program took the journal away from under the open store");
        Record second = recordAt(QStringLiteral("A2"));
        QVERIFY(store.add(second));
        SqliteRecordStore reader;
        QVERIFY(reader.open(file));
        QCOMPARE(assetsIn(reader), QStringList({"A1 1 0.0125", "A2 1 0.0125", "B2 1 0.0125"}));

        // The program's own store, open at exit(), closes without a crash.
        QProcess ended;
        ended.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit"), file});
        QVERIFY(ended.waitForFinished(30000));
        QCOMPARE(ended.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ended.exitCode(), 3);
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--record") == 0) {
        QCoreApplication app(argc, argv);
        return recordAsAnotherProgram(QString::fromLocal8Bit(argv[2]),
                                      QString::fromLocal8Bit(argv[3]));
    }
    // The program's store open when something ends the program with exit(), as the toolkit
    // does when its display goes away.
    if (argc == 3 && qstrcmp(argv[1], "--exit") == 0) {
        QApplication app(argc, argv);
        Records::setStorePath(QString::fromLocal8Bit(argv[2]));
        std::exit(Records::store(nullptr) ? 3 : 4);
    }
    QApplication app(argc, argv);
    StoreLocksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_store_locks.moc"
