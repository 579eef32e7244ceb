// A records store's file read as another program reads it.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

// `statement`'s first value, on a connection of the test's own on `file`, or else on the one
// the open store uses; nothing when the statement fails.
inline QVariant sql(const QString& statement, const QString& file = QString()) {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::connectionNames().value(0));
        if (!file.isEmpty()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(file);
            db.open();
        }
        QSqlQuery query(db);
        value = query.exec(statement) && query.next() ? query.value(0) : QVariant();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return value;
}
