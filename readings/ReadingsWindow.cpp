// The Readings window.
#include "readings/ReadingsWindow.h"

#include "link/OperatorPrompt.h"
#include "measurement/ResultsEvents.h"
#include "measurement/ShownReading.h"
#include "measurement/frmMeasure.h"
#include "readings/AutoRepeat.h"
#include "readings/CellDelegate.h"
#include "readings/CheckedEntry.h"
#include "readings/LimitsBox.h"
#include "readings/ReadingText.h"
#include "readings/ReadingsModel.h"
#include "readings/RepeatBox.h"
#include "readings/StabilityBox.h"
#include "readings/StatisticsGrid.h"
#include "readings/TrendChart.h"
#include "records/RecordBox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The results window's own Trigger, exactly as a click on it: its locks, display and log line.
// Never a hidden one: behind the configuration window a reading would run into an upload.
bool clickTrigger() {
    frmMeasure* results = frmMeasure::loaded();
    if (!results || !results->isVisible() || !results->Start->isEnabled())
        return false;
    results->Start->click();
    return true;
}

bool resultsShown() {
    const frmMeasure* results = frmMeasure::loaded();
    return results && results->isVisible();
}

const QString kCsvFilter = QStringLiteral("CSV files (*.csv)|*.csv|"
                                          "CSV for a spreadsheet in this region (*.csv)|*.csv|");

} // namespace

ReadingsWindow::ReadingsWindow() {
    setWindowTitle(QStringLiteral("Readings"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 640);

    model = new ReadingsModel(this);
    autoRepeat = new AutoRepeat(&clickTrigger, this);
    limits = new LimitsBox(this);
    repeat = new RepeatBox(this);
    stability = new StabilityBox(this);
    statistics = new StatisticsGrid(this);
    chart = new TrendChart(model->series(), this);
    record = new RecordBox(this);
    verdict = new QLabel(this);
    QFont big = verdict->font();
    big.setPointSize(28);
    big.setBold(true);
    verdict->setFont(big);
    verdict->setAlignment(Qt::AlignCenter);
    verdict->setFixedSize(QFontMetrics(big).horizontalAdvance(QStringLiteral("Range Error")) + 24,
                          QFontMetrics(big).height() * 2);
    result = new QLabel(this);
    QFont large = result->font();
    large.setPointSize(20);
    large.setBold(true);
    result->setFont(large);
    result->setAlignment(Qt::AlignCenter);
    result->setMinimumWidth(
        QFontMetrics(large).horizontalAdvance(QStringLiteral("-999.9999 mOhm")));
    resultMark = new QLabel(this);
    resultMark->setAlignment(Qt::AlignCenter);

    table = new QTableView(this);
    table->setModel(model);
    table->setItemDelegate(new CellDelegate(table));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    // Fixed row heights: the view never measures a hundred thousand rows.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false); // one line per cell: no text layout for wrapping
    table->setCornerButtonEnabled(false);
    const int widths[] = {60, 70, 110, 110, 60, 70};
    for (int c = 0; c < int(std::size(widths)); ++c)
        table->setColumnWidth(c, widths[c]);
    table->installEventFilter(this);
    // At its least the table shows its header and one reading: the chart and the controls
    // keep their room on a small screen.
    table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() +
                            table->verticalHeader()->defaultSectionSize() +
                            2 * table->frameWidth());

    clearButton = new QPushButton(QStringLiteral("C&lear"), this);
    saveButton = new QPushButton(QStringLiteral("Sa&ve..."), this);

    // Two columns of about equal height and close-set boxes, so that the window with a title bar
    // fits a screen of 800 by 600 that a panel shares.
    for (QGroupBox* box : std::initializer_list<QGroupBox*>{limits, repeat, record, stability}) {
        const QMargins usual = box->layout()->contentsMargins();
        box->layout()->setContentsMargins(usual.left(), 6, usual.right(), 6);
    }
    auto* top = new QHBoxLayout;
    auto* controls = new QVBoxLayout;
    controls->addWidget(limits);
    controls->addWidget(repeat);
    controls->addWidget(record);
    top->addLayout(controls, 1);
    auto* outcome = new QVBoxLayout;
    outcome->addWidget(verdict, 0, Qt::AlignHCenter);
    outcome->addWidget(result);
    outcome->addWidget(resultMark);
    outcome->addWidget(stability);
    outcome->addStretch();
    top->addLayout(outcome);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clearButton);
    buttons->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(statistics);
    layout->addWidget(chart, 2);
    layout->addWidget(table, 3);
    layout->addLayout(buttons);

    connect(limits, &LimitsBox::changed, this,
            [this] { chart->setBand(Limits::band(limits->settings())); });
    connect(stability, &StabilityBox::changed, this, [this] {
        model->setStabilityCriterion(stability->criterion());
        stability->show(model->series());
        chart->update();
    });
    connect(repeat->startStop, &QPushButton::clicked, this, &ReadingsWindow::startStopClicked);
    connect(autoRepeat, &AutoRepeat::runningChanged, repeat, &RepeatBox::showRunning);
    connect(autoRepeat, &AutoRepeat::runningChanged, this, &ReadingsWindow::repeatRunning);
    connect(autoRepeat, &AutoRepeat::runningChanged, record, &RecordBox::setRepeating);
    // Start only while the results window is there to trigger; Stop always.
    const auto enableStart = [this] {
        repeat->startStop->setEnabled(autoRepeat->running() || resultsShown());
    };
    connect(autoRepeat, &AutoRepeat::runningChanged, this, enableStart);
    connect(&ResultsEvents::instance(), &ResultsEvents::resultsShown, this, enableStart);
    connect(&ResultsEvents::instance(), &ResultsEvents::resultsHidden, this, enableStart);
    enableStart();
    connect(clearButton, &QPushButton::clicked, this, &ReadingsWindow::clear);
    connect(saveButton, &QPushButton::clicked, this, &ReadingsWindow::save);
    auto* copyStatisticsKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
    connect(copyStatisticsKey, &QShortcut::activated, this, &ReadingsWindow::copyStatistics);
    statistics->show(model->series());
    stability->show(model->series());
}

void ReadingsWindow::addReading(const ShownReading& shown) {
    addReadingTakenAt(shown, QDateTime::currentMSecsSinceEpoch());
}

void ReadingsWindow::addReadingTakenAt(const ShownReading& shown, qint64 msecsSinceEpoch) {
    const Reading reading = readingOf(shown, limits->settings(), msecsSinceEpoch);
    model->add(reading);
    m_unsaved = true;
    statistics->show(model->series());
    showVerdict(Limits::text(reading.verdict), reading.verdict == Limits::Verdict::Pass);
    stability->show(model->series());
    chart->update();
    record->readingShown(reading, limits->settings(), model->series().stability().stable());
    stopIfStable(reading);
}

void ReadingsWindow::stopIfStable(const Reading& newest) {
    // Stable over readings of this series only: readings from before its start may be of
    // another specimen, or from before the current had settled.
    const Stability::Tracker& judged = model->series().stability();
    if (!autoRepeat->running() || !repeat->stopWhenStable->isChecked() || !judged.stable() ||
        model->rowCount() - judged.criterion().count < m_seriesFirst)
        return;
    m_result = SeriesResult{newest, true};
    autoRepeat->stop();
}

void ReadingsWindow::repeatRunning(bool running) {
    if (running) {
        m_seriesFirst = model->rowCount();
        m_result.reset();
    } else if (!m_result && repeat->stopWhenStable->isChecked() &&
               model->rowCount() > m_seriesFirst) {
        m_result = SeriesResult{model->series().all().back(), false};
    }
    showResult();
}

void ReadingsWindow::showResult() {
    if (!m_result) {
        result->clear();
        resultMark->clear();
        return;
    }
    const double value = Stability::valueOf(m_result->reading);
    result->setText(std::isnan(value) ? Limits::text(m_result->reading.verdict)
                                      : ReadingText::ohms(value));
    resultMark->setText(m_result->stable ? QStringLiteral("stable result")
                                         : QStringLiteral("last reading, not stable"));
    QPalette palette = resultMark->palette();
    palette.setColor(QPalette::WindowText,
                     m_result->stable ? QColor(0x1a, 0x8f, 0x1a) : QColor(0xd0, 0x10, 0x10));
    resultMark->setPalette(palette);
}

void ReadingsWindow::showVerdict(const QString& text, bool pass) {
    verdict->setText(text);
    // A palette rather than a style sheet: restyling a widget for every reading is slow.
    QPalette palette = verdict->palette();
    palette.setColor(QPalette::Window, pass ? QColor(0x1a, 0x8f, 0x1a) : QColor(0xd0, 0x10, 0x10));
    palette.setColor(QPalette::WindowText, Qt::white);
    verdict->setPalette(palette);
    verdict->setAutoFillBackground(!text.isEmpty());
}

void ReadingsWindow::clear() {
    if (m_unsaved && model->rowCount() > 0) {
        QPointer<ReadingsWindow> self(this);
        const OperatorPrompt::Answer answer = OperatorPrompt::current().ask(
            model->rowCount() == 1
                ? QStringLiteral("Clear 1 reading that was not saved?")
                : QStringLiteral("Clear %1 readings that were not saved?").arg(model->rowCount()),
            OperatorPrompt::Buttons::YesNo);
        if (!self || answer != OperatorPrompt::Answer::Yes)
            return;
    }
    m_unsaved = false;
    model->clear();
    m_seriesFirst = 0;
    m_result.reset();
    statistics->show(model->series());
    stability->show(model->series());
    showResult();
    showVerdict(QString(), false);
    chart->update();
}

void ReadingsWindow::copySelection() {
    std::vector<int> indexes;
    for (const QModelIndex& row : table->selectionModel()->selectedRows())
        indexes.push_back(model->indexOfRow(row.row()));
    if (indexes.empty())
        return;
    std::sort(indexes.begin(), indexes.end());
    QGuiApplication::clipboard()->setText(
        ReadingText::clipboardText(model->series().all(), indexes, QLocale()));
}

void ReadingsWindow::copyStatistics() {
    QGuiApplication::clipboard()->setText(
        ReadingText::statisticsText(model->series().rx(), model->series().rtc(), QLocale()));
}

void ReadingsWindow::save() {
    QPointer<ReadingsWindow> self(this);
    int fileType = 0;
    std::optional<QString> chosen = OperatorPrompt::current().chooseFile(
        {kCsvFilter, QStringLiteral("Save readings"), m_savedName}, &fileType);
    if (!self || !chosen || chosen->isEmpty())
        return;
    if (QFileInfo(*chosen).suffix().isEmpty())
        *chosen += QStringLiteral(".csv");
    if (QFile::exists(*chosen) &&
        OperatorPrompt::current().ask(QStringLiteral("Overwrite ") + *chosen,
                                      OperatorPrompt::Buttons::YesNo) !=
            OperatorPrompt::Answer::Yes)
        return;
    if (!self)
        return;
    // Written whole or not at all: an old file is never left half replaced.
    QSaveFile file(*chosen);
    const ReadingText::Csv kind =
        fileType == 1 ? ReadingText::Csv::Regional : ReadingText::Csv::Standard;
    const QByteArray text = ReadingText::csvText(model->series().all(), kind, QLocale()).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        tell(QStringLiteral("Readings not saved: ") + *chosen + QStringLiteral("  ") +
             file.errorString());
        return;
    }
    m_savedName = *chosen;
    m_unsaved = false;
}

void ReadingsWindow::startStopClicked() {
    if (autoRepeat->running()) {
        autoRepeat->stop();
        return;
    }
    autoRepeat->start(qint64(repeat->interval->value() * 1e9), repeat->count->value());
}

void ReadingsWindow::closeEvent(QCloseEvent* event) {
    autoRepeat->stop();
    event->accept();
}

bool ReadingsWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The layout has just been activated, growing the window to its new minimum if needed.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show)
        keepOnScreen();
    return handled;
}

void ReadingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize old = event->oldSize();
    const bool grown = (old.width() < minimumWidth() && width() == minimumWidth()) ||
                       (old.height() < minimumHeight() && height() == minimumHeight());
    if (!m_fitting && !grown)
        m_chosen = size();
}

void ReadingsWindow::keepOnScreen() {
    const QScreen* shownOn = screen();
    if (!isVisible() || !shownOn || m_fitting)
        return;
    const QRect area = shownOn->availableGeometry();
    const QSize decoration = frameGeometry().size() - size();
    const QSize wanted = (m_chosen.isValid() ? m_chosen : size())
                             .expandedTo(minimumSize())
                             .boundedTo(area.size() - decoration);
    m_fitting = true;
    if (wanted != size())
        resize(wanted);
    QRect frame = frameGeometry();
    // Its top left corner on the screen even when it cannot be made small enough.
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    if (frame.topLeft() != pos())
        move(frame.topLeft());
    m_fitting = false;
}

bool ReadingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
