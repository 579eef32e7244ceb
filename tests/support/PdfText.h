// A PDF's text as pdftotext reads it, without any blank, so that a check does not depend on
// how a line was spaced into columns; ligatures written out. Empty when it cannot be read.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>

// pdftotext's layout of the PDF, or of its page `page` (counted from 1).
inline QString pdfLayout(const QString& file, int page = 0) {
    QProcess pdftotext;
    QStringList arguments = {QStringLiteral("-layout")};
    if (page > 0)
        arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    pdftotext.start(QStringLiteral("pdftotext"), arguments << file << "-");
    if (!pdftotext.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC);
}

inline QString pdfText(const QString& file, int page = 0) {
    return pdfLayout(file, page).remove(QRegularExpression(QStringLiteral("\\s")));
}

// The pieces of text that pdftotext sets apart by two blanks or more: a table's cells, each
// whole when nothing ran into its neighbour.
inline QStringList pdfCells(const QString& file) {
    QStringList cells;
    for (const QString& line : pdfLayout(file).split(QLatin1Char('\n')))
        cells << line.trimmed().split(QRegularExpression(QStringLiteral("\\s{2,}")));
    return cells;
}
