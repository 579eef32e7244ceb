// One row of a Qt Test data table, its values in column order (a text goes to a QString
// column as it stands).
#pragma once

#include <QTest>

template <typename... T> void row(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}

// "a|b|c" as a list: one table cell for what a window shows in several boxes.
inline QStringList cells(const QString& joined) {
    return joined.split(QLatin1Char('|'));
}
