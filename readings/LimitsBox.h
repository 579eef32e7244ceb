// The limits of the Readings window: off, nominal with a tolerance, or low and high, typed in
// a chosen unit.
#pragma once

#include "readings/Limits.h"

#include <QGroupBox>

class CheckedEntry;
class QComboBox;
class QLabel;

class LimitsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit LimitsBox(QWidget* parent = nullptr);

    // In ohms.
    Limits::Settings settings() const;

    QComboBox* mode = nullptr;
    CheckedEntry* nominal = nullptr;
    CheckedEntry* tolerance = nullptr;
    CheckedEntry* low = nullptr;
    CheckedEntry* high = nullptr;
    QComboBox* unit = nullptr;

Q_SIGNALS:
    void changed();

private:
    void showEntries();
    void unitChanged();

    QString m_unit; // the unit the entries' numbers are in
    QList<QLabel*> m_toleranceLabels, m_windowLabels;
};
