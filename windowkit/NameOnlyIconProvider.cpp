// File types and icons by name.
#include "windowkit/NameOnlyIconProvider.h"

#include <QMimeDatabase>

namespace {
// By name only: Qt's look-up by extension opens nothing (a folder is told by its metadata).
QMimeType mimeTypeByName(const QFileInfo& info) {
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
}
} // namespace

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isDir())
        return QFileIconProvider::icon(Folder);
    const QMimeType mime = mimeTypeByName(info);
    return QIcon::fromTheme(
        mime.iconName(), QIcon::fromTheme(mime.genericIconName(), QFileIconProvider::icon(File)));
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (info.isDir())
        return QStringLiteral("Folder");
    return mimeTypeByName(info).comment();
}
