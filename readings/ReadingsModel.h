// The readings table's model: the series, newest reading in the top row. Cells are made when
// the view asks for them, so only the rows on screen cost text.
#pragma once

#include "readings/ReadingSeries.h"

#include <QAbstractTableModel>

class ReadingsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void add(const Reading& reading);
    void clear();
    const ReadingSeries& series() const { return m_series; }
    void setStabilityCriterion(const Stability::Criterion& criterion) {
        m_series.setStabilityCriterion(criterion);
    }
    // The reading shown in `row`.
    int indexOfRow(int row) const { return m_series.size() - 1 - row; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ReadingSeries m_series;
};
