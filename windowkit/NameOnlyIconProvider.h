// File types and icons told from names alone, for the file dialog.
#pragma once

#include <QFileIconProvider>

// Qt's own provider tells a file's type by reading its first bytes where the name leaves it
// open (a records store's "-wal" and "-shm" files, say). Opening and closing a file drops
// every POSIX lock this process holds on it, SQLite's among them, so a file dialog that lists
// the store's folder must never look inside: this provider goes by the name only.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};
