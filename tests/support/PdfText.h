// A PDF's text as pdftotext reads it, without any blank, so that a check does not depend on
// how a line was spaced into columns; ligatures written out. Empty when it cannot be read.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>

inline QString pdfText(const QString& file) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, "-"});
    if (!pdftotext.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}
