// The statistics of Rx and Rtc since the last Clear, with the results window's prefixes.
#pragma once

#include <QWidget>

class QLabel;
class ReadingSeries;
class Statistics;

class StatisticsGrid : public QWidget {
    Q_OBJECT
public:
    explicit StatisticsGrid(QWidget* parent = nullptr);

    void show(const ReadingSeries& series);

    // The shown text of row 0 (Rx) or 1 (Rtc), column 0 (count) to 5 (span).
    QString text(int row, int column) const;

private:
    void showRow(int row, const Statistics& statistics);

    QList<QLabel*> m_cells; // 2 rows of 6
    QList<QWidget*> m_rtcRow;
};
