// Writing a certificate of test records.
#include "records/Certificate.h"

#include "readings/ReadingText.h"
#include "records/HistoryChart.h"
#include "records/RecordTexts.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace Records {

namespace {

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

// "2026-03-02 10:30 +01:00": the time where the reading was taken, with its UTC offset.
QString timeText(const QDateTime& time) {
    const int minutes = time.offsetFromUtc() / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
           QString::asprintf(" %c%02d:%02d", minutes < 0 ? '-' : '+', std::abs(minutes) / 60,
                             std::abs(minutes) % 60);
}

// "23,5 °C, Copper, 0,00393 /°C": what the correction used; empty without one.
QString correctionText(const Record& record, const QLocale& locale) {
    if (std::isnan(record.rtc))
        return QString();
    QStringList parts;
    if (!std::isnan(record.temperature))
        parts << ReadingText::number(record.temperature, locale) + QStringLiteral(" °C");
    if (!record.material.isEmpty())
        parts << record.material;
    if (!std::isnan(record.tempco))
        parts << ReadingText::number(record.tempco, locale) + QStringLiteral(" /°C");
    return parts.join(QStringLiteral(", "));
}

QString countText(int count, const QLocale& locale) {
    return locale.toString(count) +
           (count == 1 ? QStringLiteral(" record") : QStringLiteral(" records"));
}

// A text wrapped into `width`: at blanks where it can, anywhere where a word is wider than
// the width, so that nothing runs past it.
QTextOption wrapping() {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}
int lineCount(const QString& text, const QFont& font, double width, QPaintDevice* device) {
    QTextLayout layout(text, font, device);
    layout.setTextOption(wrapping());
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return std::max(lines, 1);
}

// Widths for columns whose widest cells need `natural` points, within `available`: all as
// they need when they fit, else the narrow ones whole and the room left shared by the rest.
std::vector<double> fitColumns(const std::vector<double>& natural, double available) {
    std::vector<double> widths = natural;
    std::vector<size_t> open(natural.size());
    std::iota(open.begin(), open.end(), size_t(0));
    double room = available;
    while (!open.empty()) {
        const double share = room / double(open.size());
        std::vector<size_t> wide;
        for (size_t c : open) {
            if (natural[c] <= share)
                room -= natural[c];
            else
                wide.push_back(c);
        }
        if (wide.size() == open.size()) {
            for (size_t c : wide)
                widths[c] = share;
            break;
        }
        open = wide;
    }
    return widths;
}

// A piece of the certificate: its height in points, how it is painted from a top edge,
// whether it must share its page with the piece after it, and what a page that it starts
// repeats first (an asset's name and column header, for rows continued).
struct Block {
    using Paint = std::function<void(QPainter&, double top)>;
    Block(double h, Paint p = {}) : height(h), paint(std::move(p)) {}
    double height;
    Paint paint;
    bool keepWithNext = false;
    std::vector<Block> continued;
};

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
    const double width = page.width();
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const double line = QFontMetricsF(font, &writer).height() * 1.15;

    // Text over the page's width, wrapped.
    const auto paragraph = [&](const QString& words, double size = 9, bool bold = false) {
        QFont f = font;
        f.setPointSizeF(size);
        f.setBold(bold);
        const double height = QFontMetricsF(f, &writer).height() * 1.15;
        const int lines = lineCount(words, f, width, &writer);
        return Block{height * lines, [=](QPainter& p, double top) {
                         p.setFont(f);
                         p.drawText(QRectF(0, top, width, height * lines), words, wrapping());
                         p.setFont(font);
                     }};
    };
    const auto gap = [&](double height) { return Block(height); };

    // A table's rows: the columns fitted to the page with room between them, each cell
    // wrapped within its column, so that no cell runs into the next.
    constexpr double kSpace = 10;
    QFont cellFont = font;
    cellFont.setPointSizeF(8);
    QFont headFont = cellFont;
    headFont.setBold(true);
    const double cellLine = QFontMetricsF(cellFont, &writer).height() * 1.1;
    const QStringList columns = {"Time",   "Operator", "Rx",     "Rtc",  "Correction",
                                 "Limits", "Verdict",  "Change", "Bench"};
    const auto tableRows = [&](const std::vector<QStringList>& rows) {
        std::vector<double> natural(size_t(columns.size()), 0.0);
        for (size_t r = 0; r < rows.size(); ++r) {
            const QFontMetricsF metrics(r == 0 ? headFont : cellFont, &writer);
            for (int c = 0; c < rows[r].size(); ++c)
                natural[size_t(c)] =
                    std::max(natural[size_t(c)], metrics.horizontalAdvance(rows[r][c]) + 1);
        }
        const std::vector<double> widths =
            fitColumns(natural, width - kSpace * double(columns.size() - 1));
        std::vector<Block> blocks;
        for (size_t r = 0; r < rows.size(); ++r) {
            const QFont f = r == 0 ? headFont : cellFont;
            int lines = 1;
            for (int c = 0; c < rows[r].size(); ++c)
                lines = std::max(lines, lineCount(rows[r][c], f, widths[size_t(c)], &writer));
            const QStringList cells = rows[r];
            blocks.push_back({cellLine * lines + cellLine * 0.25, [=](QPainter& p, double top) {
                                  p.setFont(f);
                                  double left = 0;
                                  for (int c = 0; c < cells.size(); ++c) {
                                      p.drawText(
                                          QRectF(left, top, widths[size_t(c)], cellLine * lines),
                                          cells[c], wrapping());
                                      left += widths[size_t(c)] + kSpace;
                                  }
                                  p.setFont(font);
                              }});
        }
        return blocks;
    };

    std::vector<Block> blocks;
    blocks.push_back(paragraph(QStringLiteral("Test record certificate"), 16, true));
    blocks.push_back(gap(line / 2));
    blocks.push_back(paragraph(QStringLiteral("Program: ") + header.program));
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
        blocks.push_back(paragraph(QStringLiteral("Meter: ") + meter));
    // Who measured is in each row; this is who issues the certificate.
    blocks.push_back(paragraph(QStringLiteral("Issued by: ") + header.operatorName));
    blocks.push_back(paragraph(QStringLiteral("Date: ") + header.date.toString(Qt::ISODate)));
    if (!header.dates.open())
        blocks.push_back(paragraph(QStringLiteral("Records dated: ") + datesText(header.dates)));

    for (size_t a = 0; a < assets.size(); ++a) {
        const std::vector<Record>& records = assets[a];
        if (certified[a].empty())
            continue;
        const QString name = records.front().asset;
        std::vector<QStringList> rows = {columns};
        for (const HistoryRow& shown :
             historyRows(records, changeLimitPercent, locale, header.dates)) {
            const Record& record = records[shown.record];
            const QStringList& cells = shown.cells; // as the Records window shows them
            const std::optional<Limits::Band> band = Limits::band(record.limits);
            const QString limits = band ? ReadingText::ohms(band->low, locale) +
                                              QStringLiteral(" to ") +
                                              ReadingText::ohms(band->high, locale)
                                        : QString();
            QStringList verdict = {cells[VerdictColumn], cells[StableColumn]};
            verdict.removeAll(QString());
            const QString change =
                cells[ChangeColumn] + (shown.flagged ? QStringLiteral(" !") : QString());
            rows.push_back({timeText(record.time), record.operatorName, cells[1], cells[2],
                            correctionText(record, locale), limits,
                            verdict.join(QStringLiteral(", ")), change, record.bench});
        }
        std::vector<Block> table = tableRows(rows);
        Block heading = paragraph(QStringLiteral("Asset: ") + name, 11, true);
        heading.keepWithNext = true;
        Block continuedHeading =
            paragraph(QStringLiteral("Asset: ") + name + QStringLiteral(" (continued)"), 11, true);
        Block columnHeader = table.front();
        columnHeader.keepWithNext = true;
        blocks.push_back(gap(line));
        blocks.push_back(heading);
        blocks.push_back(columnHeader);
        for (size_t r = 1; r < table.size(); ++r) {
            table[r].continued = {continuedHeading, columnHeader};
            blocks.push_back(table[r]);
        }
        Block chart{170, [&, a](QPainter& p, double top) {
                        paintHistory(p, QRectF(0, top + line / 2, width, 170 - line / 2),
                                     certified[a], locale);
                    }};
        chart.continued = {continuedHeading};
        blocks.push_back(chart);
    }
    blocks.push_back(gap(line));
    blocks.push_back(
        paragraph(QStringLiteral("Summary: %1; PASS %2, LOW %3, HIGH %4, not judged "
                                 "%5.")
                      .arg(countText(count, locale), locale.toString(pass), locale.toString(low),
                           locale.toString(high), locale.toString(count - pass - low - high))));

    // Laid out first, so that every page can say how many there are.
    std::vector<std::vector<std::pair<const Block*, double>>> pages(1);
    const double bottom = page.height() - 2 * line; // the page number below
    double top = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (!block.paint && top == 0)
            continue; // no gap at the top of a page
        double needed = block.height;
        for (size_t next = i; next + 1 < blocks.size() && blocks[next].keepWithNext; ++next)
            needed += blocks[next + 1].height;
        if (top + needed > bottom && top > 0) {
            pages.emplace_back();
            top = 0;
            for (const Block& repeated : block.continued) {
                pages.back().emplace_back(&repeated, top);
                top += repeated.height;
            }
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
        painter.drawText(QRectF(0, page.height() - line, width, line), Qt::AlignCenter,
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
