// The Readings window: this run's readings since the last Clear, with statistics, limits and
// their verdicts, auto-repeat, a trend chart, copy and Save. It keeps its own record and
// leaves the results window and the data log as they are.
#pragma once

#include "readings/Reading.h"

#include <QWidget>

#include <optional>

struct ShownReading;
class AutoRepeat;
class LimitsBox;
class QLabel;
class QPushButton;
class QTableView;
class RecordBox;
class ReadingsModel;
class RepeatBox;
class StabilityBox;
class StatisticsGrid;
class TrendChart;

class ReadingsWindow : public QWidget {
    Q_OBJECT
public:
    ReadingsWindow();

    void addReading(const ShownReading& shown);

    // The same for a reading shown earlier, at `msecsSinceEpoch`.
    void addReadingTakenAt(const ShownReading& shown, qint64 msecsSinceEpoch);
    // Discards the readings, asking first when some were never saved.
    void clear();
    // The selected rows to the clipboard, oldest first.
    void copySelection();
    // The statistics to the clipboard (Ctrl+Shift+C).
    void copyStatistics();
    // The whole table to a CSV file the operator chooses, standard or for the region's
    // spreadsheets; ".csv" is added to a name without a suffix.
    void save();

    // The result of the last auto-repeated series run to stop when stable: the reading it
    // stopped at, stable; or, when it ended before settling (its count done, stopped), its last
    // reading, not stable. Nothing after a Clear, while a series runs, or for a series not run
    // to stop when stable.
    struct SeriesResult {
        Reading reading;
        bool stable = false;
    };
    const std::optional<SeriesResult>& seriesResult() const { return m_result; }

    ReadingsModel* model = nullptr;
    AutoRepeat* autoRepeat = nullptr;
    LimitsBox* limits = nullptr;
    RepeatBox* repeat = nullptr;
    StabilityBox* stability = nullptr;
    StatisticsGrid* statistics = nullptr;
    TrendChart* chart = nullptr;
    QTableView* table = nullptr;
    QLabel* verdict = nullptr;
    QLabel* result = nullptr;     // the series' result, large
    QLabel* resultMark = nullptr; // whether it was stable
    RecordBox* record = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* saveButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startStopClicked();
    void showVerdict(const QString& text, bool pass);
    void repeatRunning(bool running);
    void stopIfStable(const Reading& newest);
    void showResult();
    void keepOnScreen();

    QString m_savedName;    // offered again by the next Save
    bool m_unsaved = false; // readings came since the last Save or Clear
    int m_seriesFirst = 0;  // the index of the auto-repeated series' first reading
    std::optional<SeriesResult> m_result;
    // The size last given by the operator or the placement, not grown for a wider control: the
    // window returns to it once the control needs less again.
    QSize m_chosen;
    bool m_fitting = false; // keepOnScreen() is resizing
};
