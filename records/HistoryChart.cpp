// Painting an asset's history.
#include "records/HistoryChart.h"

#include "readings/ChartScale.h"
#include "readings/ReadingText.h"
#include "records/RecordLogic.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace Records {

void paintHistory(QPainter& painter, const QRectF& area, const std::vector<Record>& records,
                  const QLocale& locale) {
    painter.save();
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    const QRectF plot =
        area.adjusted(metrics.horizontalAdvance(QStringLiteral("-999.9999 mOhm")) + line / 2,
                      line / 2, -line / 2, -line * 1.5);
    const Quantity quantity = chartQuantity(records);
    std::vector<std::pair<qint64, double>> points; // when, and the value
    for (const Record& record : records) {
        if (!std::isnan(valueOf(record, quantity)))
            points.emplace_back(record.time.toMSecsSinceEpoch(), valueOf(record, quantity));
    }
    painter.setPen(Qt::lightGray);
    painter.drawRect(plot);
    if (points.empty()) {
        painter.setPen(Qt::gray);
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No values to plot"));
        painter.restore();
        return;
    }
    std::sort(points.begin(), points.end());
    const auto [lowest, highest] = std::minmax_element(
        points.begin(), points.end(), [](auto& a, auto& b) { return a.second < b.second; });
    const ChartScale::Axis axis = ChartScale::axis(lowest->second, highest->second);
    const qint64 first = points.front().first;
    const qint64 span = points.back().first - first;
    // The end ticks and dates a dot's room inside the frame, so that dots on them show whole.
    const double dot = line / 5;
    const QRectF inner = plot.adjusted(2 * dot, 2 * dot, -2 * dot, -2 * dot);
    const auto x = [&](qint64 when) {
        return span == 0 ? inner.center().x()
                         : inner.left() + double(when - first) / double(span) * inner.width();
    };
    const auto y = [&](double v) {
        return inner.bottom() - (v - axis.low) / (axis.high - axis.low) * inner.height();
    };
    for (double tick : axis.ticks) {
        painter.setPen(QColor(215, 215, 215));
        painter.drawLine(QPointF(plot.left(), y(tick)), QPointF(plot.right(), y(tick)));
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(area.left(), y(tick) - line, plot.left() - area.left() - line / 4, 2 * line),
            Qt::AlignRight | Qt::AlignVCenter, ReadingText::ohms(tick, locale));
    }
    const QRectF dates(plot.left(), plot.bottom() + line / 4, plot.width(), line);
    const auto date = [](qint64 when) {
        return QDateTime::fromMSecsSinceEpoch(when).toString(QStringLiteral("yyyy-MM-dd"));
    };
    painter.drawText(dates, Qt::AlignLeft, date(first));
    if (span > 0)
        painter.drawText(dates, Qt::AlignRight, date(points.back().first));

    painter.drawText(plot.adjusted(line / 2, line / 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     quantity == Quantity::Rtc ? QStringLiteral("Rtc (corrected to 20 °C)")
                                               : QStringLiteral("Rx"));

    const QColor colour(0, 70, 200);
    QPolygonF trace;
    for (const auto& [when, v] : points)
        trace << QPointF(x(when), y(v));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, dot / 2));
    painter.drawPolyline(trace);
    painter.setBrush(colour);
    for (const QPointF& point : std::as_const(trace))
        painter.drawEllipse(point, dot, dot);
    painter.restore();
}

} // namespace Records

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(140);
}

void HistoryChart::setRecords(const std::vector<Records::Record>& records) {
    m_records = records;
    update();
}

void HistoryChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Records::paintHistory(painter, QRectF(rect()).adjusted(4, 4, -4, -4), m_records);
}
