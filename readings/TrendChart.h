// The trend chart: Rx (and Rtc) against reading number on round ticks with light grid lines,
// the limit lines over the trace and the current stable run on a pale band behind it. Painted
// here rather than with a chart library, at most one vertical stroke per pixel column, so a
// long series costs the same to draw as a short one.
#pragma once

#include "readings/Limits.h"

#include <QWidget>

class ReadingSeries;

class TrendChart : public QWidget {
    Q_OBJECT
public:
    TrendChart(const ReadingSeries& series, QWidget* parent = nullptr);

    void setBand(const std::optional<Limits::Band>& band);

    // Where the readings are drawn, inside the axes' labels.
    QRectF plotArea() const;

    QSize sizeHint() const override { return {600, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ReadingSeries& m_series;
    std::optional<Limits::Band> m_band;
};
