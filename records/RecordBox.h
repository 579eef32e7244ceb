// The Readings window's record controls: the asset (typed, or scanned by a barcode scanner that
// types it and Return), the operator, a note, Record (Ctrl+Return) for the last reading shown,
// recording each reading of an auto-repeat, and what became of the last record.
#pragma once

#include "readings/Reading.h"

#include <QGroupBox>
#include <QPointer>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class RecordBox : public QGroupBox {
    Q_OBJECT
public:
    explicit RecordBox(QWidget* parent = nullptr);

    // A reading the window has just shown, judged against `limits`, and whether the series was
    // judged stable with it. While the auto-repeat runs with "each reading" ticked, it is
    // recorded at once.
    void readingShown(const Reading& reading, const Limits::Settings& limits, bool stable);
    void setRepeating(bool repeating);

    // Records the last reading shown under the asset, after the checks; true once it is
    // committed to the store.
    bool record();

    QLineEdit* asset = nullptr;
    QLineEdit* operatorName = nullptr;
    QLineEdit* note = nullptr;
    QPushButton* recordButton = nullptr;
    QPushButton* recordsButton = nullptr; // opens the Records window
    QCheckBox* eachReading = nullptr;
    QLabel* status = nullptr; // "Recorded under J1. +12.4 % since 2026-03-02", or what failed

private:
    bool recordLast(bool eachOfSeries);
    void showStatus(const QString& text, bool alarming);
    // How many "Range Error" readings of the series went unrecorded, when any did.
    QString skippedText() const;
    // Stops recording each reading, saying why.
    void refuse(const QString& message, bool eachOfSeries);
    // With a team server: the last record handed to its sync, and whether it has been sent.
    void followTeam(const QString& uuid, const QString& text, bool alarming);

    std::optional<Reading> m_reading;
    Limits::Settings m_limits;
    bool m_stable = false;
    QString m_material;      // the material box's text when the reading was shown
    QString m_recordedUnder; // the asset the shown reading was recorded under, if it was
    bool m_repeating = false;
    int m_skipped = 0; // "Range Error" readings of this series not recorded
    QPointer<QObject> m_teamWatch; // waits for the last record to be sent
};
