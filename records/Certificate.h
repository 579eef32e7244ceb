// A certificate of test records, as a PDF on A4: the program, the meters that took the
// records, the operator and the date; each asset's records with their values, limits, verdicts
// and the change since the record before, and the asset's chart; a count of the verdicts; every
// page numbered. Numbers in the region's format, dates as yyyy-MM-dd.
#pragma once

#include "records/RecordLogic.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <vector>

namespace Records {

struct CertificateHeader {
    QString program; // name and version
    QString operatorName;
    QDate date;
    Dates dates; // the days certified; all when open
};

// Writes the certificate of `assets` (each one asset's whole history, oldest first), of their
// records within the header's dates, to `file`; false, with `error` saying why, when the file
// cannot be written.
bool writeCertificate(const QString& file, const CertificateHeader& header,
                      const std::vector<std::vector<Record>>& assets, double changeLimitPercent,
                      QString& error, const QLocale& locale = QLocale());

} // namespace Records
