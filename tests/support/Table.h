// Qt Test data tables: the columns by type, one row of values in column order (a text goes to
// a QString column as it stands), and the current row's values taken back in that order.
#pragma once

#include <QTest>

#include <tuple>

namespace TableColumns {
// Qt Test keeps a column's name by its pointer: names that live as long as the program.
inline const char* const kNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
} // namespace TableColumns

// In a test's _data function: columns<QString, int>(), named at the test by fetched().
template <typename... T> void columns() {
    static_assert(sizeof...(T) <= std::size(TableColumns::kNames));
    int n = 0;
    (QTest::addColumn<T>(TableColumns::kNames[n++]), ...);
}

// In the test: const auto [reply, count] = fetched<QString, int>();
template <typename... T> std::tuple<T...> fetched() {
    int n = 0;
    return {*static_cast<T*>(QTest::qData(TableColumns::kNames[n++], qMetaTypeId<T>()))...};
}

template <typename... T> void row(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}

// "a|b|c" as a list: one table cell for what a window shows in several boxes.
inline QStringList cells(const QString& joined) {
    return joined.split(QLatin1Char('|'));
}
