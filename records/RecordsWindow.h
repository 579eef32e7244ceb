// The Records window: the assets with their latest record, filtered as the operator types, and
// the current asset's records over time, all or those of chosen dates, with the change since
// the record before each, a change beyond the set percentage flagged, and their chart;
// Export... writes the records shown as CSV, Certificate... a PDF certificate of the selected
// assets' records of those dates.
#pragma once

#include "records/RecordLogic.h"

#include <QWidget>

#include <optional>
#include <vector>

class HistoryChart;
class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace Records {
class RecordStore;
}

class RecordsWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecordsWindow(Records::RecordStore& store, QWidget* parent = nullptr);

    // Lists the assets whose name contains the filter's text, showing the same asset's
    // history as before, at first the one recorded last, else the first listed.
    void refresh();
    // Shows the records of the asset in the list's row `row`.
    void showAsset(int row);
    // The records shown to a CSV file the operator chooses, written whole.
    void exportShown();
    // A certificate of the selected assets, to a PDF file the operator chooses.
    void writeCertificate();
    // The days chosen; open when "Only records dated" is not ticked.
    Records::Dates dates() const;
    // The names of the assets selected in the list, in its order.
    QStringList selectedAssets() const;

    QLineEdit* filter = nullptr;
    QTableWidget* assets = nullptr;
    QTableWidget* history = nullptr;
    QDoubleSpinBox* changeLimit = nullptr; // percent
    QCheckBox* datesOnly = nullptr;
    QDateEdit* fromDate = nullptr;
    QDateEdit* toDate = nullptr;
    HistoryChart* chart = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* certificateButton = nullptr;

private:
    void fillHistory();

    Records::RecordStore& m_store;
    std::vector<Records::AssetSummary> m_assets;
    std::vector<Records::Record> m_history;
    // The file the operator chose, its type's name extension added when none was typed; none
    // when the operator cancelled or declined to overwrite it.
    std::optional<QString> chooseFile(const QString& types, const QString& title,
                                      const QString& current, const QString& extension);

    QString m_shown; // the asset whose history is shown
    QString m_exportName;
    QString m_certificateName;
};

namespace Records {
// The program's Records window, created on first use (on the program's store) and raised; none,
// after a message, when the store cannot be opened.
RecordsWindow* openWindow();
// Opens the window when the results window asks for it (Ctrl+H).
void install();
} // namespace Records
