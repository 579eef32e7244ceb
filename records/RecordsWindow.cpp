// The Records window.
#include "records/RecordsWindow.h"

#include "link/OperatorPrompt.h"
#include "measurement/ResultsEvents.h"
#include "records/Certificate.h"
#include "records/HistoryChart.h"
#include "records/RecordStore.h"
#include "records/RecordTexts.h"
#include "records/RunRecords.h"
#include "records/TeamView.h"

#include <QCoreApplication>

#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A table whose columns are as wide as their header or `widest`, the widest text each usually
// holds; measured once, as measuring every row would make a long list slow to fill.
QTableWidget* table(const QStringList& header, const QStringList& widest, QWidget* parent) {
    auto* view = new QTableWidget(0, int(header.size()), parent);
    view->setHorizontalHeaderLabels(header);
    const QFontMetrics metrics(view->font());
    for (int c = 0; c < header.size(); ++c)
        view->setColumnWidth(c, std::max(metrics.horizontalAdvance(header[c]),
                                         metrics.horizontalAdvance(widest.value(c))) +
                                    metrics.averageCharWidth() * 2);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    return view;
}

// A row's cells, in the items already there where there are: a long list filtered again as a
// name is typed keeps most of them.
void setRow(QTableWidget* view, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        QTableWidgetItem* item = view->item(row, c);
        if (!item) {
            view->setItem(row, c, new QTableWidgetItem(cells[c]));
            continue;
        }
        item->setText(cells[c]);
        item->setData(Qt::ForegroundRole, QVariant()); // a flag shown before goes
    }
}

} // namespace

RecordsWindow::RecordsWindow(Records::RecordStore& store, QWidget* parent)
    : QWidget(parent), m_store(store) {
    setWindowTitle(QStringLiteral("Records"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(900, 600);
    filter = new QLineEdit(this);
    filter->setPlaceholderText(QStringLiteral("part of an asset's name"));
    filter->setClearButtonEnabled(true);
    const QString value = QStringLiteral("-12.34567 mOhm");
    const QString time = QStringLiteral("2026-12-07 16:59");
    assets = table(Records::assetHeader(),
                   {QStringLiteral("Busbar joint A12 north"), QStringLiteral("99999"), value,
                    QStringLiteral("HIGH"), time},
                   this);
    history = table(Records::historyHeader(),
                    {time, value, value, QStringLiteral("-12.34"), QStringLiteral("0.0039300"),
                     QStringLiteral("HIGH"), QStringLiteral("stable"), QStringLiteral("+123.4 % !"),
                     QStringLiteral("A. Technician")},
                    this);
    changeLimit = new QDoubleSpinBox(this);
    changeLimit->setRange(0.1, 1000.0);
    changeLimit->setDecimals(1);
    changeLimit->setSuffix(QStringLiteral(" %"));
    changeLimit->setValue(Records::changeLimitPercent());
    datesOnly = new QCheckBox(QStringLiteral("&Only records dated from"), this);
    const QDate today = QDate::currentDate();
    fromDate = new QDateEdit(today.addYears(-1), this);
    toDate = new QDateEdit(today, this);
    for (QDateEdit* edit : {fromDate, toDate}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd")); // unambiguous in any region
        edit->setCalendarPopup(true);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("2026-12-07")) +
                              edit->fontMetrics().averageCharWidth() * 8); // and the arrow
        edit->setEnabled(false);
    }
    exportButton = new QPushButton(QStringLiteral("&Export..."), this);
    certificateButton = new QPushButton(QStringLiteral("Cer&tificate..."), this);
    certificateButton->setToolTip(QStringLiteral("A certificate of the assets selected in the "
                                                 "list (Ctrl+A there selects them all)"));
    chart = new HistoryChart(this);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("&Find asset:"), filter);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(assets);
    splitter->addWidget(history);
    splitter->addWidget(chart);
    auto* days = new QHBoxLayout;
    days->addWidget(datesOnly);
    days->addWidget(fromDate);
    days->addWidget(new QLabel(QStringLiteral("to"), this));
    days->addWidget(toDate);
    days->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Flag a change beyond"), this));
    bottom->addWidget(changeLimit);
    bottom->addStretch();
    bottom->addWidget(exportButton);
    bottom->addWidget(certificateButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(days);
    layout->addLayout(bottom);
    Records::showTeam(*this, *layout);
    assets->setSelectionMode(QAbstractItemView::ExtendedSelection); // for a certificate

    connect(filter, &QLineEdit::textChanged, this, &RecordsWindow::refresh);
    connect(assets, &QTableWidget::currentCellChanged, this, [this](int row) { showAsset(row); });
    connect(changeLimit, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            [this](double percent) {
                Records::setChangeLimitPercent(percent);
                fillHistory();
            });
    connect(datesOnly, &QCheckBox::toggled, this, [this](bool on) {
        fromDate->setEnabled(on);
        toDate->setEnabled(on);
        fillHistory();
    });
    // Not held in order: an operator may type the last day before the first.
    for (QDateEdit* edit : {fromDate, toDate})
        connect(edit, &QDateEdit::dateChanged, this, &RecordsWindow::fillHistory);
    connect(assets, &QTableWidget::itemSelectionChanged, this,
            [this] { certificateButton->setEnabled(!selectedAssets().isEmpty()); });
    connect(exportButton, &QPushButton::clicked, this, &RecordsWindow::exportShown);
    connect(certificateButton, &QPushButton::clicked, this, &RecordsWindow::writeCertificate);
    refresh();
}

void RecordsWindow::refresh() {
    // The asset shown stays; at first it is the one recorded last, else the first listed.
    const QString wanted = !m_shown.isEmpty() ? m_shown : Records::lastRecordedAsset();
    if (!m_store.assets(filter->text(), m_assets)) {
        tell(m_store.errorText());
        return;
    }
    const QSignalBlocker blocker(assets);
    assets->setRowCount(int(m_assets.size()));
    int keep = m_assets.empty() ? -1 : 0;
    for (int row = 0; row < int(m_assets.size()); ++row) {
        setRow(assets, row, Records::assetCells(m_assets[size_t(row)]));
        if (m_assets[size_t(row)].last.asset == wanted)
            keep = row;
    }
    assets->clearSelection();
    assets->setCurrentCell(keep, 0);
    showAsset(keep);
}

void RecordsWindow::showAsset(int row) {
    m_history.clear();
    m_shown.clear();
    if (row >= 0 && row < int(m_assets.size())) {
        m_shown = m_assets[size_t(row)].last.asset;
        if (!m_store.history(m_shown, m_history))
            tell(m_store.errorText());
    }
    fillHistory();
}

void RecordsWindow::fillHistory() {
    const std::vector<Records::HistoryRow> rows =
        Records::historyRows(m_history, changeLimit->value(), QLocale(), dates());
    history->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        setRow(history, row, rows[size_t(row)].cells);
        if (rows[size_t(row)].flagged) {
            QTableWidgetItem* item = history->item(row, Records::ChangeColumn);
            item->setForeground(QColor(0xd0, 0x10, 0x10));
            item->setText(item->text() + QStringLiteral(" !"));
        }
    }
    chart->setRecords(Records::within(m_history, dates()));
    exportButton->setEnabled(!rows.empty());
    certificateButton->setEnabled(!selectedAssets().isEmpty());
}

Records::Dates RecordsWindow::dates() const {
    if (!datesOnly->isChecked())
        return {};
    return {fromDate->date(), toDate->date()};
}

QStringList RecordsWindow::selectedAssets() const {
    std::vector<int> rows;
    for (const QModelIndex& index : assets->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (int row : rows) {
        if (row < int(m_assets.size()))
            names << m_assets[size_t(row)].last.asset;
    }
    return names;
}

std::optional<QString> RecordsWindow::chooseFile(const QString& types, const QString& title,
                                                 const QString& current, const QString& extension) {
    QPointer<RecordsWindow> self(this);
    std::optional<QString> chosen = OperatorPrompt::current().chooseFile({types, title, current});
    if (!self || !chosen || chosen->isEmpty())
        return std::nullopt;
    if (QFileInfo(*chosen).suffix().isEmpty())
        *chosen += extension;
    if (QFile::exists(*chosen) &&
        OperatorPrompt::current().ask(QStringLiteral("Overwrite ") + *chosen,
                                      OperatorPrompt::Buttons::YesNo) !=
            OperatorPrompt::Answer::Yes)
        return std::nullopt;
    if (!self)
        return std::nullopt;
    return chosen;
}

void RecordsWindow::exportShown() {
    const std::optional<QString> chosen =
        chooseFile(QStringLiteral("CSV files (*.csv)|*.csv|"), QStringLiteral("Export records"),
                   m_exportName, QStringLiteral(".csv"));
    if (!chosen)
        return;
    // Written whole or not at all.
    QSaveFile file(*chosen);
    const QByteArray text = Records::csvText(Records::within(m_history, dates())).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        tell(QStringLiteral("Records not exported: ") + *chosen + QStringLiteral("  ") +
             file.errorString());
        return;
    }
    m_exportName = *chosen;
}

void RecordsWindow::writeCertificate() {
    const QStringList names = selectedAssets();
    const Records::Dates days = dates();
    std::vector<std::vector<Records::Record>> records(size_t(names.size()));
    bool any = false;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!m_store.history(names[int(i)], records[i])) {
            tell(m_store.errorText());
            return;
        }
        any = any || !Records::within(records[i], days).empty();
    }
    if (!any) {
        tell(QStringLiteral("The selected assets have no records of the dates chosen: no "
                            "certificate written."));
        return;
    }
    const std::optional<QString> chosen =
        chooseFile(QStringLiteral("PDF files (*.pdf)|*.pdf|"), QStringLiteral("Certificate"),
                   m_certificateName, QStringLiteral(".pdf"));
    if (!chosen)
        return;
    const Records::CertificateHeader header{
        QStringLiteral("MX7500 Virtual Front Panel ") + QCoreApplication::applicationVersion(),
        Records::rememberedOperator(), QDate::currentDate(), days};
    QString error;
    if (!Records::writeCertificate(*chosen, header, records, changeLimit->value(), error)) {
        tell(QStringLiteral("No certificate written: ") + error);
        return;
    }
    m_certificateName = *chosen;
}

namespace Records {

RecordsWindow* openWindow() {
    static QPointer<RecordsWindow> window;
    if (!window) {
        QString error;
        RecordStore* store = Records::store(&error);
        if (!store) {
            tell(error);
            return nullptr;
        }
        window = new RecordsWindow(*store);
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        window->refresh();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void install() {
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    QObject::connect(&ResultsEvents::instance(), &ResultsEvents::recordsRequested,
                     [] { openWindow(); });
}

} // namespace Records
