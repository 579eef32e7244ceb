// An asset's history as a chart: each record's Rtc, or each one's Rx where not every record
// has an Rtc, against its date, on round ticks. One function paints it on any device, so that the
// Records window and the certificate show the same chart.
#pragma once

#include "records/Record.h"

#include <QLocale>
#include <QWidget>

#include <vector>

class QPainter;

namespace Records {
// Paints `records` into `area`: value ticks on the left, the first and last dates below, which
// quantity it is, a dot per record joined in time order; a note instead when no record has a value.
void paintHistory(QPainter& painter, const QRectF& area, const std::vector<Record>& records,
                  const QLocale& locale = QLocale());
} // namespace Records

class HistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit HistoryChart(QWidget* parent = nullptr);
    void setRecords(const std::vector<Records::Record>& records);
    QSize sizeHint() const override { return {600, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Records::Record> m_records;
};
