// Painting the trend chart.
#include "readings/TrendChart.h"

#include "readings/ChartBins.h"
#include "readings/ChartScale.h"
#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

const QColor kRxColour(0, 70, 200);
const QColor kRtcColour(230, 120, 0);
const QColor kGridColour(215, 215, 215);
const QColor kLimitColour(200, 0, 0);
const QColor kStableColour(214, 240, 214);
constexpr int kMarker = 3; // a lone reading's dot, and the room kept for it at the ends

// Where reading `index` of `count` lies across the plot.
double xOf(const QRectF& plot, int index, int count) {
    const QRectF inner = plot.adjusted(kMarker, 0, -kMarker, 0);
    return count <= 1 ? inner.center().x()
                      : inner.left() + double(index) * inner.width() / double(count - 1);
}

// One point per reading, joined; a gap (no value) breaks the line.
template <class Y>
void drawReadings(QPainter& painter, const QRectF& plot,
                  const std::vector<ChartBins::Column>& points, const QColor& colour, const Y& y) {
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(colour);
    QPolygonF line;
    const auto flush = [&] {
        if (line.size() == 1)
            painter.drawEllipse(line.first(), kMarker - 1, kMarker - 1);
        else if (line.size() > 1)
            painter.drawPolyline(line);
        line.clear();
    };
    for (size_t c = 0; c < points.size(); ++c) {
        if (points[c].empty)
            flush();
        else
            line << QPointF(xOf(plot, int(c), int(points.size())), y(points[c].low));
    }
    flush();
    painter.setBrush(Qt::NoBrush);
}

// Several readings per pixel column: each block of readings a bar from its lowest to its
// highest, wide enough to reach the next block so that no column is left empty, and stretched
// to reach the bar before it so the trace stays joined.
template <class Y>
void drawBlocks(QPainter& painter, const QRectF& plot, const std::vector<ChartBins::Column>& blocks,
                int size, int readings, const QColor& colour, const Y& y) {
    const ChartBins::Column* previous = nullptr;
    for (size_t c = 0; c < blocks.size(); ++c) {
        const ChartBins::Column& block = blocks[c];
        if (block.empty) {
            previous = nullptr;
            continue;
        }
        const int first = int(c) * size;
        const int next = std::min(first + size, readings);
        const int left = int(std::floor(xOf(plot, first, readings)));
        const int right = next < readings ? int(std::floor(xOf(plot, next, readings))) - 1
                                          : int(std::floor(xOf(plot, readings - 1, readings)));
        const double low = previous ? std::min(block.low, previous->high) : block.low;
        const double high = previous ? std::max(block.high, previous->low) : block.high;
        const int top = qRound(y(high));
        painter.fillRect(QRect(left, top, std::max(1, right - left + 1), qRound(y(low)) - top + 1),
                         colour);
        previous = &block;
    }
}

} // namespace

TrendChart::TrendChart(const ReadingSeries& series, QWidget* parent)
    : QWidget(parent), m_series(series) {
    setMinimumHeight(80); // the window fits a screen of 800 by 600
    // Everything is painted on a white plot; nothing behind it needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendChart::setBand(const std::optional<Limits::Band>& band) {
    m_band = band;
    update();
}

QRectF TrendChart::plotArea() const {
    // Room for the widest tick label, such as "-999.9 mOhm".
    const int leftMargin = fontMetrics().horizontalAdvance(QStringLiteral("-999.9999 mOhm")) + 8;
    return QRectF(rect()).adjusted(leftMargin, 8, -8, -20);
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRectF plot = plotArea();

    const int readings = m_series.size();
    const int columns = std::max(1, int(plot.width()) - 2 * kMarker);
    const std::vector<ChartBins::Column>& rx = m_series.rxColumns().columns(columns);
    const std::vector<ChartBins::Column>& rtc = m_series.rtcColumns().columns(columns);
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (const auto* series : {&rx, &rtc})
        for (const ChartBins::Column& column : *series)
            if (!column.empty) {
                low = std::min(low, double(column.low));
                high = std::max(high, double(column.high));
            }
    if (low > high) {
        painter.setPen(Qt::lightGray);
        painter.drawRect(plot);
        painter.setPen(Qt::gray);
        painter.drawText(plot, Qt::AlignCenter,
                         readings == 0 ? QStringLiteral("No readings")
                                       : QStringLiteral("Range Errors only: nothing to plot"));
        return;
    }
    if (m_band) {
        low = std::min(low, m_band->low);
        high = std::max(high, m_band->high);
    }
    const ChartScale::Axis axis = ChartScale::axis(low, high);
    // The end ticks a marker's room inside the frame, so readings on them stay visible.
    const QRectF inner = plot.adjusted(0, kMarker, 0, -kMarker);
    const auto y = [&](double v) {
        return inner.bottom() - (v - axis.low) / (axis.high - axis.low) * inner.height();
    };

    // The current stable run as a pale green band behind everything (green as the indicator
    // saying STABLE), from its first reading to the newest, a marker's room wider on each side
    // so that a short run shows too.
    if (const int first = m_series.stability().runStart(); first >= 0) {
        const double left = std::max(plot.left() + 1, xOf(plot, first, readings) - kMarker);
        const double right = xOf(plot, readings - 1, readings) + kMarker;
        const QRectF run(left, plot.top() + 1, right - left, plot.height() - 1);
        painter.fillRect(run, kStableColour);
    }

    // Grid and tick labels first, the trace over them, the limits over the trace.
    painter.setPen(Qt::black);
    for (double tick : axis.ticks) {
        const double at = y(tick);
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, at - 10, plot.left() - 4, 20), Qt::AlignRight | Qt::AlignVCenter,
                         ReadingText::ohms(tick));
    }
    painter.setPen(Qt::lightGray);
    painter.drawRect(plot);

    const int perColumn = m_series.rxColumns().readingsPerColumn(columns);
    for (const auto& [series, colour] : {std::pair{&rx, kRxColour}, std::pair{&rtc, kRtcColour}}) {
        if (perColumn == 1)
            drawReadings(painter, plot, *series, colour, y);
        else
            drawBlocks(painter, plot, *series, perColumn, readings, colour, y);
    }

    if (m_band) {
        QPen dashed(kLimitColour, 1, Qt::DashLine);
        dashed.setCosmetic(true);
        const std::pair<double, QString> limits[] = {{m_band->high, QStringLiteral("High ")},
                                                     {m_band->low, QStringLiteral("Low ")}};
        for (const auto& [limit, name] : limits) {
            const double at = y(limit);
            painter.setPen(dashed);
            painter.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
            painter.setPen(kLimitColour);
            // The high limit's label above its line, the low one's below.
            const bool above = &limit == &limits[0].first;
            const QRectF label(plot.left() + 4, above ? at - 16 : at + 1, plot.width() - 8, 15);
            painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                             name + ReadingText::ohms(limit));
        }
    }

    painter.setPen(Qt::black);
    const QRectF numbers(plot.left(), plot.bottom() + 2, plot.width(), 18);
    painter.drawText(numbers, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("1"));
    painter.drawText(numbers, Qt::AlignRight | Qt::AlignTop, QString::number(readings));
    if (m_series.rtc().count() > 0) {
        painter.setPen(kRxColour);
        painter.drawText(numbers, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Rx"));
        painter.setPen(kRtcColour);
        painter.drawText(numbers.translated(30, 0), Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("Rtc"));
    }
}
