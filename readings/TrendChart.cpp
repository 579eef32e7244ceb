// Painting the trend chart.
#include "readings/TrendChart.h"

#include "readings/ChartBins.h"
#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QColor kRxColour(0, 70, 200);
const QColor kRtcColour(230, 120, 0);

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void include(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool empty() const { return low > high; }
};

// One point per reading, joined; a gap (no value) breaks the line.
template <class X, class Y>
void drawReadings(QPainter& painter, const std::vector<ChartBins::Column>& points,
                  const QColor& colour, const X& x, const Y& y) {
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    QPolygonF line;
    const auto flush = [&] {
        if (line.size() == 1)
            painter.drawEllipse(line.first(), 2, 2);
        else if (line.size() > 1)
            painter.drawPolyline(line);
        line.clear();
    };
    for (size_t c = 0; c < points.size(); ++c) {
        if (points[c].empty)
            flush();
        else
            line << QPointF(x(c, points.size()), y(points[c].low));
    }
    flush();
}

} // namespace

TrendChart::TrendChart(const ReadingSeries& series, QWidget* parent)
    : QWidget(parent), m_series(series) {
    setMinimumHeight(120);
    // Everything is painted on a white plot; nothing behind it needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendChart::setBand(const std::optional<Limits::Band>& band) {
    m_band = band;
    update();
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // Room for the widest value label, such as "-999.9999 mOhm".
    const int leftMargin = fontMetrics().horizontalAdvance(QStringLiteral("-999.9999 mOhm")) + 8;
    const QRectF plot = QRectF(rect()).adjusted(leftMargin, 8, -8, -20);
    painter.setPen(Qt::lightGray);
    painter.drawRect(plot);

    const std::vector<Reading>& readings = m_series.all();
    const int columns = std::max(1, int(plot.width()));
    const std::vector<ChartBins::Column>& rx = m_series.rxColumns().columns(columns);
    const std::vector<ChartBins::Column>& rtc = m_series.rtcColumns().columns(columns);
    Range range;
    for (const auto* series : {&rx, &rtc})
        for (const ChartBins::Column& column : *series)
            if (!column.empty) {
                range.include(column.low);
                range.include(column.high);
            }
    if (range.empty()) {
        painter.setPen(Qt::gray);
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No readings"));
        return;
    }
    if (m_band) {
        range.include(m_band->low);
        range.include(m_band->high);
    }
    // A flat series sits in the middle instead of on an edge.
    const double pad = range.high > range.low ? (range.high - range.low) * 0.05
                                              : std::max(std::fabs(range.low) * 0.01, 1e-12);
    const double low = range.low - pad;
    const double high = range.high + pad;
    const auto y = [&](double v) {
        return plot.bottom() - (v - low) / (high - low) * plot.height();
    };
    const auto x = [&](size_t c, size_t used) {
        return used <= 1 ? plot.center().x()
                         : plot.left() + double(c) * plot.width() / double(used - 1);
    };

    if (m_band) {
        QPen dashed(Qt::red, 1, Qt::DashLine);
        dashed.setCosmetic(true);
        painter.setPen(dashed);
        for (double limit : {m_band->low, m_band->high})
            painter.drawLine(QPointF(plot.left(), y(limit)), QPointF(plot.right(), y(limit)));
    }
    const bool perReading = rx.size() == readings.size();
    for (const auto& [series, colour] : {std::pair{&rx, kRxColour}, std::pair{&rtc, kRtcColour}}) {
        if (perReading) {
            drawReadings(painter, *series, colour, x, y);
            continue;
        }
        // Several readings per column: one bar each from the lowest to the highest, stretched
        // to reach the bar before it so the trace stays joined.
        const ChartBins::Column* previous = nullptr;
        for (size_t c = 0; c < series->size(); ++c) {
            const ChartBins::Column& column = (*series)[c];
            if (column.empty) {
                previous = nullptr;
                continue;
            }
            const double low = previous ? std::min(column.low, previous->high) : column.low;
            const double high = previous ? std::max(column.high, previous->low) : column.high;
            const int top = qRound(y(high));
            painter.fillRect(QRect(qRound(x(c, series->size())), top, 1, qRound(y(low)) - top + 1),
                             colour);
            previous = &column;
        }
    }

    painter.setPen(Qt::black);
    const QRectF labels(0, plot.top() - 6, leftMargin - 4, plot.height() + 12);
    painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, ReadingText::ohms(high));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, ReadingText::ohms(low));
    const QRectF numbers(plot.left(), plot.bottom() + 2, plot.width(), 18);
    painter.drawText(numbers, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("1"));
    painter.drawText(numbers, Qt::AlignRight | Qt::AlignTop, QString::number(readings.size()));
    painter.setPen(kRxColour);
    painter.drawText(numbers, Qt::AlignHCenter | Qt::AlignTop,
                     m_series.rtc().count() > 0 ? QStringLiteral("Rx") : QString());
    if (m_series.rtc().count() > 0) {
        painter.setPen(kRtcColour);
        painter.drawText(numbers.translated(30, 0), Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("Rtc"));
    }
}
