// The table model of the Readings window.
#include "readings/ReadingsModel.h"

#include "readings/ReadingText.h"

#include <QBrush>

void ReadingsModel::add(const Reading& reading) {
    beginInsertRows(QModelIndex(), 0, 0);
    m_series.add(reading);
    endInsertRows();
}

void ReadingsModel::clear() {
    beginResetModel();
    m_series.clear();
    endResetModel();
}

int ReadingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_series.size();
}

int ReadingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ReadingText::ColumnCount;
}

QVariant ReadingsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_series.size())
        return {};
    const int i = indexOfRow(index.row());
    const Reading& reading = m_series.all()[size_t(i)];
    const auto column = ReadingText::Column(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return ReadingText::cell(reading, i, column);
    case Qt::TextAlignmentRole:
        return int((column == ReadingText::Time || column == ReadingText::Verdict
                        ? Qt::AlignLeft
                        : Qt::AlignRight) |
                   Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (column != ReadingText::Verdict || reading.verdict == Limits::Verdict::None)
            return {};
        return QBrush(reading.verdict == Limits::Verdict::Pass ? QColor(0, 128, 0) : Qt::red);
    default:
        return {};
    }
}

QVariant ReadingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return ReadingText::header(ReadingText::Column(section));
}
