// Writing a certificate of test records.
#include "records/Certificate.h"

#include "readings/ReadingText.h"
#include "records/HistoryChart.h"
#include "records/RecordTexts.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <functional>
#include <numeric>

namespace Records {

namespace {

// A piece of the certificate: its height in points and how it is painted from a top edge.
struct Block {
    double height;
    std::function<void(QPainter&, double top)> paint;
};

QString meterText(const Meter& meter) {
    return QStringLiteral("%1 %2, serial number %3, firmware %4")
        .arg(meter.maker, meter.model, meter.serial, meter.firmware);
}

QString datesText(const Dates& dates) {
    if (!dates.to.isValid())
        return QStringLiteral("from ") + dates.from.toString(Qt::ISODate);
    if (!dates.from.isValid())
        return QStringLiteral("up to ") + dates.to.toString(Qt::ISODate);
    return QStringLiteral("%1 to %2")
        .arg(dates.from.toString(Qt::ISODate), dates.to.toString(Qt::ISODate));
}

} // namespace

bool writeCertificate(const QString& file, const CertificateHeader& header,
                      const std::vector<std::vector<Record>>& assets, double changeLimitPercent,
                      QString& error, const QLocale& locale) {
    // Written whole or not at all.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1 cannot be written: %2").arg(file, out.errorString());
        return false;
    }
    QPdfWriter writer(&out);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setResolution(72); // one unit a point
    writer.setCreator(header.program);
    writer.setTitle(QStringLiteral("Test record certificate"));
    QPainter painter(&writer);
    const QRectF page = writer.pageLayout().paintRectPixels(72);
    const QRectF area(0, 0, page.width(), page.height());
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const double line = QFontMetricsF(font, &writer).height() * 1.15;

    std::vector<Block> blocks;
    const auto text = [&](const QString& words, double size = 9, bool bold = false) {
        blocks.push_back({line * size / 9, [=](QPainter& p, double top) {
                              QFont f = font;
                              f.setPointSizeF(size);
                              f.setBold(bold);
                              p.setFont(f);
                              p.drawText(QRectF(0, top, area.width(), line * size / 9),
                                         Qt::AlignLeft | Qt::AlignVCenter, words);
                              p.setFont(font);
                          }});
    };
    // A table: each column as wide as its widest cell, the font made smaller when the columns
    // would not fit across the page, so that no cell runs into the next.
    const auto table = [&](const std::vector<QStringList>& rows) {
        constexpr double kSpace = 8; // between columns
        QFont bold = font;
        bold.setBold(true);
        std::vector<double> widths;
        for (size_t r = 0; r < rows.size(); ++r) {
            const QFontMetricsF metrics(r == 0 ? bold : font, &writer);
            widths.resize(std::max(widths.size(), size_t(rows[r].size())), 0.0);
            for (int c = 0; c < rows[r].size(); ++c)
                widths[size_t(c)] =
                    std::max(widths[size_t(c)], metrics.horizontalAdvance(rows[r][c]) + kSpace);
        }
        const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
        const double scale = total > area.width() ? area.width() / total : 1.0;
        for (size_t r = 0; r < rows.size(); ++r) {
            QFont f = r == 0 ? bold : font;
            f.setPointSizeF(font.pointSizeF() * scale);
            blocks.push_back({line, [=](QPainter& p, double top) {
                                  p.setFont(f);
                                  double left = 0;
                                  for (int c = 0; c < rows[r].size(); ++c) {
                                      const double width = widths[size_t(c)] * scale;
                                      p.drawText(QRectF(left, top, width, line),
                                                 Qt::AlignLeft | Qt::AlignVCenter, rows[r][c]);
                                      left += width;
                                  }
                                  p.setFont(font);
                              }});
        }
    };
    const auto gap = [&](double height) { blocks.push_back({height, {}}); };

    text(QStringLiteral("Test record certificate"), 16, true);
    gap(line / 2);
    text(QStringLiteral("Program: ") + header.program);
    // Each asset's records within the dates; its rows keep the change since the record
    // before, even one from before the dates.
    std::vector<std::vector<Record>> certified;
    for (const std::vector<Record>& records : assets)
        certified.push_back(within(records, header.dates));
    QStringList meters;
    int pass = 0, low = 0, high = 0, count = 0;
    for (const std::vector<Record>& records : certified) {
        for (const Record& record : records) {
            // A record kept without the meter's identification names no meter.
            if (!record.meter.model.isEmpty() && !meters.contains(meterText(record.meter)))
                meters << meterText(record.meter);
            pass += record.verdict == Limits::Verdict::Pass;
            low += record.verdict == Limits::Verdict::Low;
            high += record.verdict == Limits::Verdict::High;
            ++count;
        }
    }
    for (const QString& meter : std::as_const(meters))
        text(QStringLiteral("Meter: ") + meter);
    text(QStringLiteral("Operator: ") + header.operatorName);
    text(QStringLiteral("Date: ") + header.date.toString(Qt::ISODate));
    if (!header.dates.open())
        text(QStringLiteral("Records dated: ") + datesText(header.dates));

    for (size_t a = 0; a < assets.size(); ++a) {
        const std::vector<Record>& records = assets[a];
        if (certified[a].empty())
            continue;
        gap(line);
        text(QStringLiteral("Asset: ") + records.front().asset, 11, true);
        std::vector<QStringList> rows = {{"Time", "Rx", "Rtc", "Temp °C", "Coefficient", "Limits",
                                          "Verdict", "Change", "Bench"}};
        for (const HistoryRow& shown :
             historyRows(records, changeLimitPercent, locale, header.dates)) {
            const QStringList& cells = shown.cells; // as the Records window shows them
            const std::optional<Limits::Band> band = Limits::band(records[shown.record].limits);
            const QString limits = band ? ReadingText::ohms(band->low, locale) +
                                              QStringLiteral(" to ") +
                                              ReadingText::ohms(band->high, locale)
                                        : QString();
            const QString verdict =
                cells[VerdictColumn] + (cells[StableColumn].isEmpty()
                                            ? QString()
                                            : QStringLiteral(", ") + cells[StableColumn]);
            const QString change =
                cells[ChangeColumn] + (shown.flagged ? QStringLiteral(" !") : QString());
            rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], limits, verdict,
                            change, cells[BenchColumn]});
        }
        table(rows);
        gap(line / 2);
        blocks.push_back({170, [&, a](QPainter& p, double top) {
                              paintHistory(p, QRectF(0, top, area.width(), 170), certified[a],
                                           locale);
                          }});
    }
    gap(line);
    text(QStringLiteral("Summary: %1 records; PASS %2, LOW %3, HIGH %4.")
             .arg(locale.toString(count), locale.toString(pass), locale.toString(low),
                  locale.toString(high)));

    // Laid out first, so that every page can say how many there are.
    std::vector<std::vector<std::pair<const Block*, double>>> pages(1);
    const double bottom = area.height() - 2 * line; // the page number below
    double top = 0;
    for (const Block& block : blocks) {
        if (top + block.height > bottom && top > 0) {
            pages.emplace_back();
            top = 0;
        }
        pages.back().emplace_back(&block, top);
        top += block.height;
    }
    for (size_t n = 0; n < pages.size(); ++n) {
        if (n > 0)
            writer.newPage();
        for (const auto& [block, at] : pages[n]) {
            if (block->paint)
                block->paint(painter, at);
        }
        painter.drawText(QRectF(0, area.height() - line, area.width(), line), Qt::AlignCenter,
                         QStringLiteral("Page %1 of %2")
                             .arg(locale.toString(qulonglong(n + 1)),
                                  locale.toString(qulonglong(pages.size()))));
    }
    if (!painter.end() || !out.commit()) {
        error = QStringLiteral("%1 cannot be written: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}

} // namespace Records
