// The statistics grid.
#include "readings/StatisticsGrid.h"

#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"

#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace {
constexpr int kColumns = 6;

// The widest text a cell can show: seven digits with a sign, the separator and any prefix.
int widestFigure(const QFontMetrics& metrics) {
    int widest = 0;
    for (const char* prefix : {"p", "n", "u", "m", "", "k", "M"})
        widest =
            std::max(widest, metrics.horizontalAdvance(
                                 QStringLiteral("-999.9999 %1Ohm").arg(QLatin1String(prefix))));
    return widest;
}
} // namespace

StatisticsGrid::StatisticsGrid(QWidget* parent) : QWidget(parent) {
    // Opaque: a new value repaints the grid alone, not the window beneath it.
    setAutoFillBackground(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const QStringList headers{QStringLiteral("Count"),   QStringLiteral("Mean"),
                              QStringLiteral("Std dev"), QStringLiteral("Min"),
                              QStringLiteral("Max"),     QStringLiteral("Span")};
    for (int c = 0; c < kColumns; ++c)
        grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(headers[c]), this), 0, c + 1,
                        Qt::AlignRight);
    for (int row = 0; row < 2; ++row) {
        auto* name =
            new QLabel(row == 0 ? QStringLiteral("<b>Rx</b>") : QStringLiteral("<b>Rtc</b>"), this);
        grid->addWidget(name, row + 1, 0);
        if (row == 1)
            m_rtcRow << name;
        for (int c = 0; c < kColumns; ++c) {
            auto* cell = new QLabel(this);
            cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // A fixed size: a new text then repaints the cell without laying out the window.
            cell->setFixedSize(widestFigure(cell->fontMetrics()) + 8,
                               cell->fontMetrics().height() + 4);
            cell->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(cell, row + 1, c + 1);
            m_cells << cell;
            if (row == 1)
                m_rtcRow << cell;
        }
    }
    for (int c = 1; c <= kColumns; ++c)
        grid->setColumnStretch(c, 1);
}

void StatisticsGrid::show(const ReadingSeries& series) {
    showRow(0, series.rx());
    showRow(1, series.rtc());
    // Rtc only once readings were corrected.
    for (QWidget* widget : m_rtcRow)
        widget->setVisible(series.rtc().count() > 0);
}

void StatisticsGrid::showRow(int row, const Statistics& statistics) {
    const QStringList texts = ReadingText::statisticsCells(statistics);
    for (int c = 0; c < kColumns; ++c)
        m_cells[row * kColumns + c]->setText(texts[c]);
}

QString StatisticsGrid::text(int row, int column) const {
    return m_cells.at(row * kColumns + column)->text();
}
